// Small classes registered only in the model tests, and a builder for hand-written bytes.
#pragma once

#include "model/Archive.h"
#include "model/CColor.h"
#include "model/CTavroObj.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace tavro::test {

// A CTavroObj level of its own: version byte, then one int.
class TestScene : public CTavroObj {
    TAVRO_DECLARE_CLASS(TestScene)
public:
    int32_t extra = 0;
    void Serialize(Archive& ar) override;
};

// Adds a colour held by value after its own version byte.
class TestText : public CTavroObj {
    TAVRO_DECLARE_CLASS(TestText)
public:
    CColor color;
    void Serialize(Archive& ar) override;
};

// Holds a non-owning reference to another object of the same archive.
class TestRef : public CTavroObj {
    TAVRO_DECLARE_CLASS(TestRef)
public:
    CRootObj* target = nullptr;
    void Serialize(Archive& ar) override;
};

// Like a path node: no version byte; reads its point only when the schema stored for its class
// is at least 1.
class TestPoint : public CRootObj {
    TAVRO_DECLARE_CLASS(TestPoint)
public:
    double x = -1.0;
    void Serialize(Archive& ar) override;
};

// Counts live instances, to check ownership.
class TestCounted : public CTavroObj {
    TAVRO_DECLARE_CLASS(TestCounted)
public:
    static int alive;
    TestCounted() { ++alive; }
    ~TestCounted() override { --alive; }
};

// Fails half-way through writing itself.
class TestThrowing : public CTavroObj {
    TAVRO_DECLARE_CLASS(TestThrowing)
public:
    void Serialize(Archive& ar) override;
};

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& b(std::initializer_list<int> list) {
        for (int x : list)
            v.push_back(static_cast<uint8_t>(x));
        return *this;
    }
    Bytes& w(uint16_t x) { return b({x & 0xFF, x >> 8}); }
    Bytes& dw(uint32_t x) {
        return b({static_cast<int>(x & 0xFF), static_cast<int>((x >> 8) & 0xFF),
                  static_cast<int>((x >> 16) & 0xFF), static_cast<int>(x >> 24)});
    }
    Bytes& chars(std::string_view s) {
        v.insert(v.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& fill(size_t n, uint8_t value) {
        v.insert(v.end(), n, value);
        return *this;
    }
    // A copy to hand to an archive that keeps it.
    std::vector<uint8_t> take() const { return v; }
    // A new-class descriptor tag with schema 1.
    Bytes& newClass(std::string_view name) {
        return w(0xFFFF).w(1).w(static_cast<uint16_t>(name.size())).chars(name);
    }
    // A plain CTavroObj part: version 1, empty name, no children, empty selection.
    Bytes& emptyBase() { return b({1, 0, 0, 0, 0, 0, 0, 0}); }
};

} // namespace tavro::test
