// Pieces shared by the action tests: action record builders and a headless host that runs the
// action engine and records what reaches the host.
#pragma once

#include "player/PlayerTestSupport.h"

#include "player/actions/ActionEngine.h"
#include "player/actions/TargetPath.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tavro::player::test {

inline Bytes PushS(const std::string& s) {
    Bytes b{0x96};
    U16(b, uint32_t(s.size() + 2));
    b.push_back(0);
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return b;
}

inline Bytes PushF(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Bytes b{0x96, 5, 0, 1};
    U32(b, bits);
    return b;
}

inline Bytes Op(uint8_t code) {
    return {code};
}

// name = <value actions>
inline Bytes Set(const std::string& name, const Bytes& value) {
    return Cat({PushS(name), value, Op(0x1D)});
}

inline Bytes Record(uint8_t code, const Bytes& body) {
    Bytes b{code};
    U16(b, uint32_t(body.size()));
    Append(b, body);
    return b;
}

inline Bytes Str(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

class EngineHost : public HeadlessHost {
public:
    explicit EngineHost(int width = 0, int height = 0) : HeadlessHost(width, height) {
        auto e = std::make_unique<ActionEngine>(*this);
        engine = e.get();
        engine->SetTraceSink([this](std::string_view s) { traces.emplace_back(s); });
        engine->SetRequestObserver([this](const UrlRequest& r) { requests.push_back(r); });
        SetActionInterpreter(std::move(e));
    }
    void LoadBytes(const Bytes& b) { Load(b.data(), b.size()); }
    // A one-frame movie whose frame runs `actions` (followed by `extraTags` before ShowFrame).
    void RunMovie(const Bytes& actions, const Bytes& before = {}) {
        LoadBytes(Movie(Cat({before, DoAction(actions), ShowFrame(), End()})));
    }
    std::string Var(const std::string& name) {
        const std::string* v = FindVariable(Level0(), name);
        return v ? *v : std::string("<unset>");
    }
    void FsCommand(std::string_view command, std::string_view args) override {
        fsCommands.emplace_back(std::string(command), std::string(args));
    }

    ActionEngine* engine = nullptr;
    std::vector<std::string> traces;
    std::vector<UrlRequest> requests;
    std::vector<std::pair<std::string, std::string>> fsCommands;
};

} // namespace tavro::player::test
