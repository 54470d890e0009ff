// The action interpreter run on small movies built in memory.
#include "ActionTestSupport.h"

#include "player/DisplayObject.h"

#include <gtest/gtest.h>

#include <set>

namespace tavro::player::test {
namespace {

TEST(ActionEngine, ArithmeticAndComparisons) {
    EngineHost host;
    host.RunMovie(Cat({
        Set("sum", Cat({PushS("5"), PushS("3"), Op(0x0A)})),
        Set("cat", Cat({PushS("5"), PushS("3"), Op(0x21)})),
        Set("diff", Cat({PushS("3"), PushS("5"), Op(0x0B)})),
        Set("prod", Cat({PushS("2.5"), PushS("4"), Op(0x0C)})),
        Set("third", Cat({PushS("1"), PushS("3"), Op(0x0D)})),
        Set("div0", Cat({PushS("1"), PushS("0"), Op(0x0D)})),
        Set("nan", Cat({PushS("abc"), PushS("2"), Op(0x0A)})),
        Set("float", Cat({PushF(0.5f), PushF(0.25f), Op(0x0A)})),
        Set("int", Cat({PushS("-7.9"), Op(0x18)})),
        Set("eq", Cat({PushS("2"), PushS("2.0"), Op(0x0E)})),
        Set("streq", Cat({PushS("2"), PushS("2.0"), Op(0x13)})),
        Set("less", Cat({PushS("10"), PushS("9"), Op(0x0F)})),
        Set("strless", Cat({PushS("10"), PushS("9"), Op(0x29)})),
        Set("and", Cat({PushS("1"), PushS("0.5"), Op(0x10)})),
        Set("or", Cat({PushS("0"), PushS("3"), Op(0x11)})), Set("not", Cat({PushS("0"), Op(0x12)})),
        Set("empty", Op(0x17)), // popping an empty stack gives the empty string
    }));
    EXPECT_EQ(host.Var("sum"), "8");
    EXPECT_EQ(host.Var("cat"), "53");
    EXPECT_EQ(host.Var("diff"), "-2");
    EXPECT_EQ(host.Var("prod"), "10");
    EXPECT_EQ(host.Var("third"), "0.333333333333333");
    EXPECT_EQ(host.Var("div0"), "#ERROR#");
    EXPECT_EQ(host.Var("nan"), "2");
    EXPECT_EQ(host.Var("float"), "0.75");
    EXPECT_EQ(host.Var("int"), "-7");
    EXPECT_EQ(host.Var("eq"), "1");
    EXPECT_EQ(host.Var("streq"), "0");
    EXPECT_EQ(host.Var("less"), "0");
    EXPECT_EQ(host.Var("strless"), "1");
    EXPECT_EQ(host.Var("and"), "0");
    EXPECT_EQ(host.Var("or"), "1");
    EXPECT_EQ(host.Var("not"), "1");
}

// A Push record of several values: every string and float goes on the stack in record order.
// A value of a type without a known length ends the record there; so does a float cut short.
TEST(ActionEngine, PushRecordWithSeveralValuesPushesThemInOrder) {
    auto push = [](const Bytes& values) { return Record(0x96, values); };
    auto str = [](const std::string& s) { return Cat({Bytes{0}, Str(s)}); };
    const Bytes half{1, 0x00, 0x00, 0x00, 0x3F}; // 0.5f
    EngineHost host;
    host.RunMovie(Cat({
        push(Cat({str("a"), half})), Op(0x1D),               // a = 0.5
        push(Cat({str("s"), str("p"), str("q")})), Op(0x21), // "p" "q" joined in push order
        Op(0x1D),                                            // s = pq
        push(Cat({str("x"), str("kept"), Bytes{5, 1}, str("lost")})),
        Op(0x1D), // x = kept; the boolean and everything after it are left alone
        push(Cat({str("y"), str("before"), Bytes{1, 0x00, 0x00}})),
        Op(0x1D), // y = before; the short float pushes nothing
    }));
    EXPECT_EQ(host.Var("a"), "0.5");
    EXPECT_EQ(host.Var("s"), "pq");
    EXPECT_EQ(host.Var("x"), "kept");
    EXPECT_EQ(host.Var("lost"), "<unset>");
    EXPECT_EQ(host.Var("y"), "before");
}

TEST(ActionEngine, StringExtractAndMultiByteForms) {
    auto extract = [](const char* s, const char* index, const char* count, uint8_t code) {
        return Cat({PushS(s), PushS(index), PushS(count), Op(code)});
    };
    const std::string kanji = "a\x82\xA0"
                              "b"; // 'a', one double-byte character, 'b'
    EngineHost host;
    host.RunMovie(Cat({
        Set("first2", extract("hello", "0", "2", 0x15)),
        Set("rest", extract("hello", "2", "-1", 0x15)),
        Set("past", extract("hello", "4", "10", 0x15)),
        Set("beyond", extract("hello", "9", "2", 0x15)),
        Set("len", Cat({PushS("hello"), Op(0x14)})),
        Set("mblen", Cat({PushS(kanji), Op(0x31)})),
        Set("bytelen", Cat({PushS(kanji), Op(0x14)})),
        Set("mbmid", Cat({PushS(kanji), PushS("2"), PushS("1"), Op(0x35)})),
        Set("mbcode", Cat({PushS("\x82\xA0"), Op(0x36)})),
        Set("code", Cat({PushS("A"), Op(0x32)})),
        Set("chr", Cat({PushS("66"), Op(0x33)})),
        Set("mbchr", Cat({PushS("33440"), Op(0x37)})),
    }));
    EXPECT_EQ(host.Var("first2"), "he");
    EXPECT_EQ(host.Var("rest"), "ello");
    EXPECT_EQ(host.Var("past"), "lo");
    EXPECT_EQ(host.Var("beyond"), "");
    EXPECT_EQ(host.Var("len"), "5");
    EXPECT_EQ(host.Var("mblen"), "3");
    EXPECT_EQ(host.Var("bytelen"), "4");
    EXPECT_EQ(host.Var("mbmid"), "\x82\xA0");
    EXPECT_EQ(host.Var("mbcode"), "33440"); // 0x82A0
    EXPECT_EQ(host.Var("code"), "65");
    EXPECT_EQ(host.Var("chr"), "B");
    EXPECT_EQ(host.Var("mbchr"), "\x82\xA0");
}

TEST(ActionEngine, JumpIfAndWaitForFrame) {
    // i = 0; loop: i = i + 1; if (i < 5) goto loop. Then WaitForFrame of a loaded frame skips
    // nothing, and one that does not exist skips the next action.
    Bytes body = Cat({Set("i", Cat({PushS("i"), Op(0x1C), PushS("1"), Op(0x0A)})), PushS("i"),
                      Op(0x1C), PushS("5"), Op(0x0F)});
    Bytes ifBack = Record(0x9D, {0, 0});
    int16_t back = int16_t(-(int(body.size()) + int(ifBack.size())));
    ifBack[3] = uint8_t(back);
    ifBack[4] = uint8_t(uint16_t(back) >> 8);
    EngineHost host;
    host.RunMovie(
        Cat({Set("i", PushS("0")), body, ifBack, Record(0x8A, {0, 0, 1}), Set("a", PushS("ran")),
             Record(0x8D, {1}), // pops nothing useful: an empty frame is not loaded
             Set("b", PushS("skipped")), Set("c", PushS("ran"))}));
    EXPECT_EQ(host.Var("i"), "5");
    EXPECT_EQ(host.Var("a"), "ran");
    EXPECT_EQ(host.Var("b"), "<unset>");
    EXPECT_EQ(host.Var("c"), "ran");
}

// Level 0 places sprite "Box" (id 1, two frames) at depth 1.
Bytes SpriteTags() {
    return Cat({DefineShape(2, 400, 200),
                DefineSprite(1, 2, Cat({Place2(1, 2), ShowFrame(), ShowFrame(), End()})),
                Place2(1, 1, "Box", 100, 60)});
}

TEST(ActionEngine, FrameActionsAtAMissingTargetDoNothingWhileLaterActionsRun) {
    EngineHost host;
    host.RunMovie(Cat({Record(0x8B, Str("nowhere")), ActStop(), ActGotoFrame(1),
                       Set("x", PushS("1")), // no target: nothing is set
                       Record(0x8B, Str("")), Set("after", PushS("yes"))}),
                  SpriteTags());
    EXPECT_EQ(host.Var("after"), "yes");
    EXPECT_EQ(host.Var("x"), "<unset>");
    EXPECT_TRUE(host.Level0().Playing());
}

TEST(ActionEngine, SetTargetAimsFrameActionsAndVariablesAtASprite) {
    EngineHost host;
    host.RunMovie(Cat({Record(0x8B, Str("box")), ActGotoFrame(1), Set("inside", PushS("v")),
                       Record(0x8B, Str("")), Set("outside", PushS("w"))}),
                  SpriteTags());
    DisplayObject* box = host.Level0().rootObject->FindChild(1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->timeline->currentFrame, 1);
    EXPECT_FALSE(box->timeline->Playing());
    ASSERT_NE(FindVariable(*box->timeline, "INSIDE"), nullptr);
    EXPECT_EQ(host.Var("outside"), "w");
}

TEST(ActionEngine, VariablesWithPathsAndCaseInsensitiveNames) {
    EngineHost host;
    host.RunMovie(Cat({Set("Score", PushS("10")), Set("/box:Lives", PushS("3")),
                       Set("a", Cat({PushS("SCORE"), Op(0x1C)})),
                       Set("b", Cat({PushS("Box:lives"), Op(0x1C)})),
                       Set("c", Cat({PushS("/Box:LIVES"), Op(0x1C)})),
                       Set("d", Cat({PushS("missing"), Op(0x1C)})), Set("nowhere:x", PushS("1")),
                       Set("score", PushS("11"))}),
                  SpriteTags());
    EXPECT_EQ(host.Var("a"), "10");
    EXPECT_EQ(host.Var("b"), "3");
    EXPECT_EQ(host.Var("c"), "3");
    EXPECT_EQ(host.Var("d"), "");
    EXPECT_EQ(host.Var("Score"), "11");
    ASSERT_EQ(host.Level0().variables.size(), 5u); // Score, a, b, c, d: one entry per name
    EXPECT_EQ(host.Level0().variables[0].name, "Score");
}

TEST(ActionEngine, PropertiesReadAndWrite) {
    auto get = [](const char* path, const char* index) {
        return Cat({PushS(path), PushS(index), Op(0x22)});
    };
    auto set = [](const char* path, const char* index, const char* value) {
        return Cat({PushS(path), PushS(index), PushS(value), Op(0x23)});
    };
    EngineHost host;
    host.RunMovie(Cat({Set("x", get("Box", "0")),
                       Set("y", get("Box", "1")),
                       Set("w", get("Box", "8")),
                       Set("h", get("Box", "9")),
                       Set("total", get("Box", "5")),
                       Set("cur", get("Box", "4")),
                       Set("target", get("Box", "11")),
                       Set("name", get("Box", "13")),
                       Set("none", get("nothing", "0")),
                       Set("big", get("Box", "19")),
                       set("Box", "0", "12.5"),
                       set("Box", "2", "200"),
                       set("Box", "6", "50"),
                       set("Box", "13", "Crate"),
                       Set("renamed", get("Crate", "13")),
                       Set("xs", get("Crate", "2")),
                       set("Crate", "10", "90"),
                       Set("rot", get("Crate", "10")),
                       Set("xs2", get("Crate", "2")),
                       set("Crate", "7", "0"),
                       Set("vis", get("Crate", "7"))}),
                  SpriteTags());
    EXPECT_EQ(host.Var("x"), "5");
    EXPECT_EQ(host.Var("y"), "3");
    EXPECT_EQ(host.Var("w"), "20");
    EXPECT_EQ(host.Var("h"), "10");
    EXPECT_EQ(host.Var("total"), "2");
    EXPECT_EQ(host.Var("cur"), "1");
    EXPECT_EQ(host.Var("target"), "/Box");
    EXPECT_EQ(host.Var("name"), "Box");
    EXPECT_EQ(host.Var("none"), "");
    EXPECT_EQ(host.Var("big"), "");
    EXPECT_EQ(host.Var("renamed"), "Crate");
    EXPECT_EQ(host.Var("xs"), "200");
    EXPECT_EQ(host.Var("rot"), "90");
    EXPECT_EQ(host.Var("xs2"), "200");
    EXPECT_EQ(host.Var("vis"), "0");
    DisplayObject* box = host.Level0().rootObject->FindChild(1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->matrix.tx, 250);
    EXPECT_EQ(box->cxform.aMul, 128);
    EXPECT_EQ(box->matrix.a, 0); // rotated by 90 degrees at twice the size
    EXPECT_EQ(box->matrix.b, 0x20000);
    EXPECT_EQ(box->matrix.c, -0x10000);
    EXPECT_TRUE(box->scriptTransformed);
    EXPECT_FALSE(box->visible);
}

TEST(ActionEngine, CloneAndRemoveSprite) {
    EngineHost host;
    host.RunMovie(Cat({PushS("Box"), PushS("Copy"), PushS("16384"), Op(0x24), // clone
                       PushS("Box"), Op(0x25),                                // below 16384
                       PushS("Box"), PushS("Gone"), PushS("16385"), Op(0x24), PushS("/Gone"),
                       Op(0x25),                                              // removed again
                       PushS("/"), PushS("Root"), PushS("16386"), Op(0x24)}), // a level root
                  SpriteTags());
    DisplayObject* root = host.Level0().rootObject;
    DisplayObject* box = root->FindChild(1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->name, "Box");
    DisplayObject* copy = root->FindChild(16384);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->name, "Copy");
    EXPECT_EQ(copy->character, box->character);
    EXPECT_EQ(copy->matrix, box->matrix);
    EXPECT_EQ(copy->ratio, 0xFFFF);
    ASSERT_NE(copy->timeline, nullptr);
    EXPECT_NE(copy->timeline, box->timeline);
    EXPECT_EQ(root->FindChild(16385), nullptr);
    EXPECT_EQ(root->FindChild(16386), nullptr);
}

TEST(ActionEngine, EndlessLoopStopsAllActionsUntilANewMovie) {
    // Frame 0 loops for ever; frame 1 would set a variable.
    Bytes loop = Record(0x99, {0xFB, 0xFF}); // jump back onto itself
    Bytes movie = Movie(Cat({DoAction(Cat({Set("before", PushS("1")), loop})), ShowFrame(),
                             DoAction(Set("later", PushS("1"))), ShowFrame(), End()}),
                        2);
    EngineHost host;
    host.LoadBytes(movie);
    EXPECT_TRUE(host.engine->Aborted());
    EXPECT_EQ(host.Var("before"), "1");
    host.StepFrame();
    EXPECT_EQ(host.Level0().currentFrame, 1);
    EXPECT_EQ(host.Var("later"), "<unset>");

    host.LoadBytes(Movie(Cat({DoAction(Set("fresh", PushS("1"))), ShowFrame(), End()})));
    EXPECT_FALSE(host.engine->Aborted());
    EXPECT_EQ(host.Var("fresh"), "1");
}

TEST(ActionEngine, CallRunsTheFramesActionsInAPrivateQueue) {
    // Frame 1 (labelled "sub") holds two DoAction tags; frame 0 calls it twice, by label and by
    // number, and goes on afterwards. The playhead never moves.
    Bytes movie = Movie(Cat({DoAction(Cat({Set("n", PushS("0")), PushS("sub"), Record(0x9E, {}),
                                           PushS("2"), Record(0x9E, {}),
                                           Set("after", Cat({PushS("n"), Op(0x1C)})), ActStop()})),
                             ShowFrame(), FrameLabel("sub"),
                             DoAction(Set("n", Cat({PushS("n"), Op(0x1C), PushS("1"), Op(0x0A)}))),
                             DoAction(Set("n", Cat({PushS("n"), Op(0x1C), PushS("10"), Op(0x0C)}))),
                             ShowFrame(), End()}),
                        2);
    EngineHost host;
    host.LoadBytes(movie);
    EXPECT_EQ(host.Var("after"), "110"); // (0+1)*10 = 10, then (10+1)*10
    EXPECT_EQ(host.Level0().currentFrame, 0);
}

TEST(ActionEngine, GotoFrame2CountsFromOneAndPlays) {
    Bytes movie = Movie(Cat({DoAction(Cat({ActStop(), PushS("3"), Record(0x9F, {0})})), ShowFrame(),
                             ShowFrame(), ShowFrame(), End()}),
                        3);
    EngineHost host;
    host.LoadBytes(movie);
    EXPECT_EQ(host.Level0().currentFrame, 2);
    EXPECT_FALSE(host.Level0().Playing());
}

TEST(ActionEngine, TraceAndRandomNumbers) {
    EngineHost host;
    host.engine->SeedRandom(12345);
    Bytes actions = Cat({PushS("hello"), Op(0x26)});
    for (int i = 0; i < 20; ++i)
        Append(actions, Set("r" + std::to_string(i), Cat({PushS("6"), Op(0x30)})));
    Append(actions, Set("zero", Cat({PushS("0"), Op(0x30)})));
    host.RunMovie(actions);
    ASSERT_EQ(host.traces.size(), 1u);
    EXPECT_EQ(host.traces[0], "hello");
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        std::string v = host.Var("r" + std::to_string(i));
        ASSERT_EQ(v.size(), 1u);
        EXPECT_TRUE(v[0] >= '0' && v[0] <= '5') << v;
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 2u);
    EXPECT_EQ(host.Var("zero"), "0");

    EngineHost again;
    again.engine->SeedRandom(12345);
    again.RunMovie(actions);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(again.Var("r" + std::to_string(i)), host.Var("r" + std::to_string(i)));
}

} // namespace
} // namespace tavro::player::test
