#include "ArchiveTestSupport.h"

#include "model/CMatrix3.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

using namespace tavro;
using namespace tavro::test;
using Cause = ArchiveError::Cause;

namespace {

std::vector<uint8_t> Save(const CRootObj& obj) {
    return SaveObjectToMemory(obj);
}

// The cause of the error that loading `bytes` into `root` raises; fails the test if none.
Cause LoadFailure(const std::vector<uint8_t>& bytes, CRootObj& root) {
    try {
        LoadObjectFromMemory(bytes, root);
    } catch (const ArchiveError& e) {
        return e.GetCause();
    }
    ADD_FAILURE() << "no error";
    return Cause::NotSupported;
}

Cause LoadFailure(const std::vector<uint8_t>& bytes) {
    CTavroObj root;
    return LoadFailure(bytes, root);
}

} // namespace

TEST(ArchiveStrings, LengthPrefixesAroundTheByteLimit) {
    const std::string s254(254, 'a'), s255(255, 'b'), s65533(0xFFFD, 'c'), s65534(0xFFFE, 'd');
    Archive ar;
    for (const std::string* s : {&s254, &s255, &s65533, &s65534})
        ar.WriteString(*s);
    Bytes expected;
    expected.b({0xFE}).chars(s254).b({0xFF}).w(0x00FF).chars(s255);
    expected.b({0xFF}).w(0xFFFD).chars(s65533).b({0xFF}).w(0xFFFF).dw(0xFFFE).chars(s65534);
    ASSERT_EQ(ar.GetBuffer(), expected.v);

    Archive in(expected.v);
    for (const std::string* s : {&s254, &s255, &s65533, &s65534})
        EXPECT_EQ(in.ReadString(), *s);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(ArchiveStrings, WideStringIsConvertedToSingleBytes) {
    // "A", e-acute, the euro sign (0x80 in the code page), a CJK character and a surrogate pair
    // (each outside the code page: one '?'), then a plain string to show where reading stops.
    Bytes bytes;
    bytes.b({0xFF}).w(0xFFFE).b({6}).w('A').w(0x00E9).w(0x20AC).w(0x4E2D).w(0xD83D).w(0xDE00);
    bytes.b({2}).chars("ok");
    Archive in(bytes.v);
    EXPECT_EQ(in.ReadString(), "A\xE9\x80??");
    EXPECT_EQ(in.ReadString(), "ok");
}

TEST(ArchiveStrings, WideControlCodesOfTheUndefinedBytesKeepTheirValue) {
    // The JSON form writes the five undefined bytes as U+0081 ...; read back from a wide string
    // they must give the same bytes, not '?'.
    Bytes bytes;
    bytes.b({0xFF}).w(0xFFFE).b({5}).w(0x81).w(0x8D).w(0x8F).w(0x90).w(0x9D);
    Archive in(bytes.v);
    EXPECT_EQ(in.ReadString(), "\x81\x8D\x8F\x90\x9D");
}

TEST(ArchiveCounts, ShortAndLongForms) {
    Archive ar;
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    EXPECT_EQ(ar.GetBuffer(), Bytes().w(0xFFFE).w(0xFFFF).dw(0xFFFF).v);

    // A list of 0xFFFF children takes the long form and reads back whole.
    CTavroObj root;
    for (int i = 0; i < 0xFFFF; ++i)
        root.AddChild(std::make_unique<CTavroObj>());
    const std::vector<uint8_t> saved = Save(root);
    Bytes head;
    head.b({1, 0}).w(0xFFFF).dw(0xFFFF).newClass("CTavroObj").emptyBase().w(0x8001);
    ASSERT_GT(saved.size(), head.v.size());
    EXPECT_TRUE(std::equal(head.v.begin(), head.v.end(), saved.begin()));
    CTavroObj loaded;
    LoadObjectFromMemory(saved, loaded);
    EXPECT_EQ(loaded.GetChildCount(), 0xFFFFu);
}

TEST(ArchiveCounts, HostileCountsAndLengthsFailBeforeAllocating) {
    // A child list claiming four billion entries.
    EXPECT_EQ(LoadFailure(Bytes().b({1, 0}).w(0xFFFF).dw(0xFFFFFFFF).v), Cause::EndOfFile);
    // A name claiming four billion characters, plain and wide.
    EXPECT_EQ(LoadFailure(Bytes().b({1, 0xFF}).w(0xFFFF).dw(0xFFFFFFF0).v), Cause::EndOfFile);
    Bytes wide;
    wide.b({1, 0xFF}).w(0xFFFE).b({0xFF}).w(0xFFFF).dw(0x80000000);
    EXPECT_EQ(LoadFailure(wide.v), Cause::EndOfFile);
    // A selection claiming a billion entries.
    EXPECT_EQ(LoadFailure(Bytes().b({1, 0, 0, 0}).dw(1000000000).v), Cause::EndOfFile);
    // A byte array longer than the data.
    Archive in(Bytes().w(100).b({1, 2, 3}).take());
    EXPECT_THROW(in.ReadByteArray(), ArchiveError);
}

TEST(ArchiveObjects, IndexNumberingOfASceneWithOneTextObject) {
    // root
    //  └ scene (class 1, object 2)
    //     ├ text  (class 3, object 4)
    //     ├ text  (class 3 again: tag 0x8003; object 5)
    //     └ ref   (class 6, object 7) -> back reference to object 4
    CTavroObj root;
    auto scene = std::make_unique<TestScene>();
    scene->extra = 7;
    auto text = std::make_unique<TestText>();
    text->color = CColor(1, 2, 3);
    TestText* firstText = text.get();
    scene->AddChild(std::move(text));
    scene->AddChild(std::make_unique<TestText>());
    auto ref = std::make_unique<TestRef>();
    ref->target = firstText;
    scene->AddChild(std::move(ref));
    root.AddChild(std::move(scene));
    root.SelectPosition(root.GetHeadPosition());

    Bytes expected;
    expected.b({1, 0}).w(1).newClass("TestScene").b({1, 0}).w(3);
    expected.newClass("TestText").emptyBase().b({1, 1}).dw(1).dw(2).dw(3).dw(255);
    expected.w(0x8003).emptyBase().b({1, 1}).dw(0).dw(0).dw(0).dw(255);
    expected.newClass("TestRef").emptyBase().w(4);
    expected.dw(0).b({1}).dw(7); // scene selection, scene's own level
    expected.dw(1).dw(0);        // root selection: one entry, index 0
    ASSERT_EQ(Save(root), expected.v);

    CTavroObj loaded;
    LoadObjectFromMemory(expected.v, loaded);
    ASSERT_EQ(loaded.GetChildCount(), 1u);
    auto* s = DynamicCast<TestScene>(loaded.GetSelectedChild());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->extra, 7);
    EXPECT_EQ(s->GetParent(), &loaded);
    ASSERT_EQ(s->GetChildCount(), 3u);
    CTavroObj* t1 = s->GetChildList().front().get();
    EXPECT_EQ(DynamicCast<TestText>(t1)->color, CColor(1, 2, 3));
    auto* r = DynamicCast<TestRef>(s->GetChildList().back().get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->target, t1);
    EXPECT_EQ(t1->GetParent(), s);
    EXPECT_EQ(Save(loaded), expected.v);
}

TEST(ArchiveObjects, BigIndexForms) {
    // Two texts, the second naming its class through the big tag, and a reference whose target
    // uses the big object form.
    Bytes bytes;
    bytes.b({1, 0}).w(3).newClass("TestText").emptyBase().b({0}); // class 1, object 2
    bytes.w(0x7FFF).dw(0x80000001).emptyBase().b({0});            // object 3
    bytes.newClass("TestRef").emptyBase().w(0x7FFF).dw(3);        // class 4, object 5
    bytes.dw(0);
    CTavroObj root;
    LoadObjectFromMemory(bytes.v, root);
    ASSERT_EQ(root.GetChildCount(), 3u);
    auto* ref = DynamicCast<TestRef>(root.GetChildList().back().get());
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->target, std::next(root.GetChildList().begin())->get());
}

TEST(ArchiveObjects, VersionZeroLevelsReadNothingMore) {
    // Scene: base level version 0 (nothing more of it), own level version 1 with its int;
    // text: base level version 1, own level version 0 (no colour). Loading continues after each.
    Bytes bytes;
    bytes.b({1, 0}).w(2).newClass("TestScene").b({0}).b({1}).dw(42);
    bytes.newClass("TestText").emptyBase().b({0}).dw(0);
    CTavroObj root;
    LoadObjectFromMemory(bytes.v, root);
    ASSERT_EQ(root.GetChildCount(), 2u);
    EXPECT_EQ(DynamicCast<TestScene>(root.GetChildList().front().get())->extra, 42);
    EXPECT_EQ(DynamicCast<TestText>(root.GetChildList().back().get())->color, CColor());
}

TEST(ArchiveObjects, StoredSchemaOfAClassGovernsItsReaders) {
    // Schema 0 in the descriptor: the point's data is absent, for this and later objects of the
    // class. A class never described reports its current version.
    Bytes bytes;
    bytes.w(0xFFFF).w(0).w(9).chars("TestPoint").w(0x8001);
    Archive in(bytes.v);
    std::unique_ptr<CRootObj> p1(in.ReadObject()), p2(in.ReadObject());
    ASSERT_TRUE(DynamicCast<TestPoint>(p1.get()) && DynamicCast<TestPoint>(p2.get()));
    EXPECT_EQ(DynamicCast<TestPoint>(p1.get())->x, -1.0);
    EXPECT_EQ(DynamicCast<TestPoint>(p2.get())->x, -1.0);
    EXPECT_EQ(in.GetStoredSchema(TestPoint::classInfo), 0);
    EXPECT_EQ(in.GetStoredSchema(CColor::classInfo), 1);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(ArchiveErrors, DamagedReferencesAndClasses) {
    Bytes head; // root with one child to come
    head.b({1, 0}).w(1);
    Bytes text; // root with two children, the first a text (class 1, object 2)
    text.b({1, 0}).w(2).newClass("TestText").emptyBase().b({0});
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Cause cause;
    };
    const Case cases[] = {
        {"unknown class", Bytes(head).newClass("NoSuchObj").v, Cause::BadClass},
        {"names match case", Bytes(head).newClass("ctavroobj").v, Cause::BadClass},
        {"name length 64", Bytes(head).w(0xFFFF).w(1).w(64).fill(64, 'A').v, Cause::BadClass},
        {"value as a child", Bytes(head).newClass("CColor").b({0}).v, Cause::BadClass},
        {"root class", Bytes(head).newClass("CRootObj").v, Cause::BadClass},
        {"class never read", Bytes(head).w(0x8005).v, Cause::BadIndex},
        {"class index of an object", Bytes(text).w(0x8002).v, Cause::BadIndex},
        // An owned child must be new: a reference back would give an object two owners.
        {"child owned twice", Bytes(text).w(2).v, Cause::BadIndex},
        {"object index of a class", Bytes(text).w(1).v, Cause::BadIndex},
        {"null child", Bytes(head).w(0).v, Cause::BadIndex},
        {"reference ahead", Bytes(head).newClass("TestRef").emptyBase().w(9).v, Cause::BadIndex},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadFailure(c.bytes), c.cause) << c.what;
}

TEST(ArchiveErrors, NonVersionableClassWithAnotherSchema) {
    static const ClassInfo fixed{"TestFixedSchema", 2, []() -> CRootObj* { return new CRootObj; },
                                 &CRootObj::classInfo};
    static const ClassRegistrar registrar{&fixed};
    Archive in(Bytes().w(0xFFFF).w(1).w(15).chars("TestFixedSchema").take());
    try {
        in.ReadObject();
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.GetCause(), Cause::BadSchema);
    }
}

TEST(ArchiveErrors, EveryTruncationIsEndOfFile) {
    CTavroObj root;
    root.SetName("movie");
    auto scene = std::make_unique<TestScene>();
    scene->AddChild(std::make_unique<TestText>());
    scene->AddChild(std::make_unique<TestText>());
    root.AddChild(std::move(scene));
    root.SelectPosition(root.GetHeadPosition());
    const std::vector<uint8_t> full = Save(root);
    for (size_t n = 0; n < full.size(); ++n) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
        CTavroObj loaded;
        EXPECT_EQ(LoadFailure(cut, loaded), Cause::EndOfFile) << "cut at " << n;
    }
}

TEST(ArchiveErrors, DeepNestingIsRefusedNotOverflowed) {
    Bytes bytes;
    bytes.b({1, 0}).w(1).newClass("CTavroObj").b({1, 0}).w(1);
    for (int i = 0; i < 5000; ++i)
        bytes.w(0x8001).b({1, 0}).w(1);
    EXPECT_EQ(LoadFailure(bytes.v), Cause::OutOfMemory);
}

TEST(ArchiveErrors, WritingAClassWithoutArchiveForm) {
    CRootObj plain;
    Archive ar;
    try {
        ar.WriteObject(&plain);
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.GetCause(), Cause::NotSupported);
    }
}

TEST(ArchiveErrors, FailedLoadDestroysThePartialObject) {
    TestCounted::alive = 0;
    {
        // Two counted children, the second cut short.
        Bytes bytes;
        bytes.b({1, 0}).w(2).newClass("TestCounted").emptyBase().w(0x8001).b({1, 0});
        CTavroObj root;
        EXPECT_EQ(LoadFailure(bytes.v, root), Cause::EndOfFile);
        EXPECT_EQ(TestCounted::alive, 1); // the complete first child stays with its parent
        EXPECT_EQ(root.GetChildList().front()->GetParent(), &root);
    }
    EXPECT_EQ(TestCounted::alive, 0);
}

class ArchiveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::path(TAVRO_BINARY_DIR) / "archive-file-test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    size_t FilesInDir() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                 std::filesystem::directory_iterator()));
    }
    std::filesystem::path dir_;
};

TEST_F(ArchiveFileTest, RoundTripAcrossBufferBoundaries) {
    CTavroObj root;
    root.SetName(std::string(10000, 'x'));
    auto text = std::make_unique<TestText>();
    text->color = CColor(9, 8, 7, 6);
    root.AddChild(std::move(text));
    const auto path = dir_ / "movie.swi";
    SaveObjectToFile(path, root);
    EXPECT_EQ(std::filesystem::file_size(path), Save(root).size());
    EXPECT_EQ(FilesInDir(), 1u);

    CTavroObj loaded;
    LoadObjectFromFile(path, loaded);
    EXPECT_EQ(loaded.GetName(), root.GetName());
    EXPECT_EQ(DynamicCast<TestText>(loaded.GetChildList().front().get())->color,
              CColor(9, 8, 7, 6));

    std::filesystem::resize_file(path, 5000);
    CTavroObj cut;
    try {
        LoadObjectFromFile(path, cut);
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.GetCause(), Cause::EndOfFile);
    }
}

TEST_F(ArchiveFileTest, FailedSaveLeavesThePreviousFile) {
    const auto path = dir_ / "movie.swi";
    { std::ofstream(path, std::ios::binary) << "previous"; }
    CTavroObj root;
    root.AddChild(std::make_unique<TestThrowing>());
    EXPECT_THROW(SaveObjectToFile(path, root), std::runtime_error);
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "previous");
    EXPECT_EQ(FilesInDir(), 1u); // no temporary file left behind
}

TEST_F(ArchiveFileTest, SaveOverALinkKeepsTheLinkAndNamesTheFileOnFailure) {
    std::filesystem::create_directories(dir_ / "real");
    { std::ofstream(dir_ / "real" / "movie.swi") << "previous"; }
    std::filesystem::create_symlink("real/movie.swi", dir_ / "movie.swi");
    CTavroObj root;
    root.SetName("through the link");
    SaveObjectToFile(dir_ / "movie.swi", root);
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "movie.swi"));
    EXPECT_EQ(std::filesystem::file_size(dir_ / "real" / "movie.swi"), Save(root).size());

    const auto missing = dir_ / "missing-dir" / "movie.swi";
    try {
        SaveObjectToFile(missing, root);
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(std::string(e.what()),
                  missing.string() + ": cannot write the file (No such file or directory)");
    }
}

TEST_F(ArchiveFileTest, UnopenableFilesAreFileErrors) {
    CTavroObj root;
    for (auto action : {0, 1}) {
        try {
            if (action == 0)
                SaveObjectToFile(dir_ / "missing-dir" / "movie.swi", root);
            else
                LoadObjectFromFile(dir_ / "missing.swi", root);
            FAIL() << "no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.GetCause(), Cause::FileError);
        }
    }
}

TEST(ClassRegistry, FindsByExactNameAndNamesAreUnique) {
    EXPECT_EQ(ClassInfo::FromName("CColor"), &CColor::classInfo);
    EXPECT_EQ(ClassInfo::FromName("CColo"), nullptr);
    EXPECT_EQ(CColor::classInfo.schema, 0x80000001u);
    EXPECT_TRUE(TestScene::classInfo.IsDerivedFrom(&CTavroObj::classInfo));
    EXPECT_FALSE(CTavroObj::classInfo.IsDerivedFrom(&TestScene::classInfo));
    std::set<std::string_view> names;
    for (const ClassInfo* cls : ClassInfo::AllClasses())
        EXPECT_TRUE(names.insert(cls->className).second) << "registered twice: " << cls->className;
}
