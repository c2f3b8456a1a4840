#include "saver/lvx_s.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_saver_ports.h"
#include "saver/warn_once_port.h"

namespace lvx {
namespace {

using testing::Log;
using testing::Num;
using testing::Only;
using testing::SaverRig;
using Wake = SaverPort::Wake;

int Count(const Log& log, const std::string& prefix) {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

// The colours the pictures get after `reseeds` reseeds from the rig's clock.
void ExpectedColours(SaverRig& rig, int reseeds, std::array<int32_t, 12>& c1, std::array<int32_t, 12>& c2) {
    SaverRandom r;
    for (int i = 0; i < reseeds; ++i) r.Reseed(rig.port.clock);
    for (size_t i = 0; i < 12; ++i) DrawPictureColours(rig.settings.Gradation, r, c1[i], c2[i]);
}

TEST(FormLoad, SetsUpInOrderAndEntersTheLoop) {
    SaverRig rig;
    rig.settings.Shape = 1;
    rig.settings.BackColor = 0x00804020;
    rig.settings.BgmKind = 2;
    rig.settings.BgmFile = "C:\\Music\\loop.Mp3";
    // The first reading in the loop stands apart on both axes: one pass.
    rig.port.readings = {std::make_pair(500, 400), std::make_pair(501, 401)};
    Lvx_S& s = rig.Make();
    s.Form_Load();

    std::array<int32_t, 12> c1{}, c2{};
    ExpectedColours(rig, 1, c1, c2);
    Log expected = {"window size 1024 768", "window move 0 0", "back " + Num(0x00804020), "size 0 200"};
    for (int i = 1; i < 12; ++i) expected.push_back("create " + Num(i));
    for (int i = 0; i < 12; ++i) expected.push_back("ellipse " + Num(i) + " 200");
    for (int i = 0; i < 12; ++i) {
        expected.push_back("move " + Num(i) + " " + Num((i % 4) * 256 + 28) + " " + Num((i / 4) * 256 + 28));
    }
    for (size_t i = 0; i < 12; ++i) {
        expected.push_back("draw " + Num(static_cast<double>(i)) + " 0 " + Num(c1[i]) + " " + Num(c2[i]));
        expected.push_back("refresh " + Num(static_cast<double>(i)));
    }
    for (const char* line : {"mci open \"C:\\Music\\loop.Mp3\" type MPEGVideo Alias MP3Play", "mci play MP3Play",
                             "timer1 on", "cursor 500 400", "show", "topmost", "covers"}) {
        expected.push_back(line);
    }
    expected.push_back("draw 0 1 " + Num(c1[0]) + " " + Num(c2[0]));
    ASSERT_GE(rig.log.size(), expected.size());
    EXPECT_EQ(Log(rig.log.begin(), rig.log.begin() + static_cast<long>(expected.size())), expected);

    EXPECT_EQ(s.ScreenWidthPx, 1024);
    EXPECT_EQ(s.ScreenHeightPx, 768);
    EXPECT_EQ(s.StartCursorX, 500);
    EXPECT_EQ(s.StartCursorY, 400);
    EXPECT_EQ(s.SecondCount, 0);
    EXPECT_EQ(s.Passes(), 1u);
    EXPECT_TRUE(s.Ended());
    // The loop ended the saver: MP3 stopped, flags restored, window gone.
    EXPECT_EQ(rig.From("mci stop"), (Log{"mci stop MP3Play", "mci close MP3Play", "spi 97 0", "ShowCursor 1",
                                        "spi 17 1", "unload", "end"}));
}

TEST(FormLoad, RandomSizeAndBackgroundStayInMemoryAndInBounds) {
    struct Case {
        double widthPx, heightPx;
        int16_t minSize, maxSize;
    };
    for (Case c : {Case{1024, 768, 128, 256}, Case{1366, 768, 170, 341}, Case{1920, 1080, 240, 480}}) {
        for (uint64_t clock : {1, 2, 3, 99, 12345}) {
            SaverRig rig;
            rig.port.twipsW = c.widthPx * 15;
            rig.port.twipsH = c.heightPx * 15;
            rig.port.clock = clock;
            rig.EndOnFirstPass();
            rig.settings.SizeRandom = 1;
            rig.settings.BackColorRandom = 1;
            rig.settings.BackColor = 0x00123456;
            Lvx_S& s = rig.Make();
            s.Form_Load();
            SCOPED_TRACE(std::to_string(c.widthPx) + " clock " + std::to_string(clock));
            EXPECT_EQ(s.MinPictureSize, c.minSize);
            EXPECT_EQ(s.MaxPictureSize, c.maxSize);
            EXPECT_GE(rig.settings.PictureSize, c.minSize);
            EXPECT_LE(rig.settings.PictureSize, c.maxSize);
            // Background first (its own reseed), then the size (another).
            SaverRandom r;
            r.Reseed(clock);
            const int32_t back = DrawBackColor(r);
            r.Reseed(clock);
            const int16_t size = RandomPictureSize(c.minSize, c.maxSize, r.Next());
            EXPECT_EQ(rig.settings.BackColor, back);
            EXPECT_EQ(rig.settings.PictureSize, size);
            Log log = Only(rig.log, {"back", "size 0", "move 0"});
            ASSERT_GE(log.size(), 3u);
            EXPECT_EQ(log[0], "back " + Num(back));
            EXPECT_EQ(log[1], "size 0 " + Num(size));
        }
    }
}

TEST(FormLoad, MusicByKindAndExtension) {
    struct Case {
        int16_t kind;
        const char* file;
        Log music;
    };
    for (const Case& c : {Case{1, "", {"mci open cdaudio", "mci set cdaudio time format tmsf", "timer2 on"}},
                          Case{2, "C:\\a.wav", {"wave play C:\\a.wav"}}, Case{2, "C:\\a.WaV", {"wave play C:\\a.WaV"}},
                          Case{2, "C:\\a.mp3", {"mci open \"C:\\a.mp3\" type MPEGVideo Alias MP3Play",
                                                "mci play MP3Play", "timer1 on"}},
                          Case{2, "C:\\a.mid", {}}, Case{2, "", {}}, Case{0, "C:\\a.mp3", {}},
                          Case{3, "C:\\a.wav", {}}}) {
        SaverRig rig;
        rig.EndOnFirstPass();
        rig.settings.BgmKind = c.kind;
        rig.settings.BgmFile = c.file;
        rig.Make().Form_Load();
        Log music = c.music;
        music.push_back("show");
        SCOPED_TRACE(std::to_string(c.kind) + " " + c.file);
        Log log = Only(rig.log, {"mci", "wave", "timer", "show"});
        EXPECT_EQ(Log(log.begin(), std::find(log.begin(), log.end(), "show") + 1), music);
    }
}

TEST(Timer3, ChangesOnEveryIntervalPlusOneTicks) {
    struct Case {
        int16_t interval;
        std::vector<int> changeTicks;  // within ticks 1..48
    };
    std::vector<int> every;
    for (int tick = 1; tick <= 48; ++tick) every.push_back(tick);
    for (const Case& c : {Case{15, {16, 32, 48}}, Case{3, {4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48}},
                          Case{0, every}, Case{-7, every}, Case{23, {24, 48}}, Case{47, {48}}}) {
        SaverRig rig;
        rig.settings.ColorInterval = c.interval;
        Lvx_S& s = rig.Make();
        std::vector<int> changes;
        for (int tick = 1; tick <= 48; ++tick) {
            rig.port.clock = static_cast<uint64_t>(tick);
            auto before = s.PictureColor1;
            s.Timer3_Timer();
            if (s.PictureColor1 != before) {
                changes.push_back(tick);
                // New colours come from a generator seeded anew from the
                // clock (each reseed also counts itself in).
                std::array<int32_t, 12> c1{}, c2{};
                ExpectedColours(rig, static_cast<int>(changes.size()), c1, c2);
                EXPECT_EQ(s.PictureColor1, c1) << "tick " << tick;
                EXPECT_EQ(s.PictureColor2, c2) << "tick " << tick;
            }
        }
        EXPECT_EQ(changes, c.changeTicks) << "interval " << c.interval;
        // Colours alone: no window call at all.
        EXPECT_EQ(rig.log, Log{});
    }
}

TEST(Timer3, NewBackgroundSizeAndCirclesWhenChosen) {
    SaverRig rig;
    rig.EndOnFirstPass();
    rig.settings.ColorInterval = 0;
    rig.settings.SizeRandom = 1;
    rig.settings.BackColorRandom = 1;
    rig.settings.Shape = 1;
    Lvx_S& s = rig.Make();
    s.Form_Load();
    rig.log.clear();
    for (int tick = 0; tick < 200; ++tick) {
        rig.log.clear();
        s.Timer3_Timer();
        ASSERT_EQ(rig.log.size(), 37u);
        EXPECT_EQ(rig.log[0], "back " + Num(rig.settings.BackColor));
        const int16_t size = rig.settings.PictureSize;
        ASSERT_GE(size, 128);
        ASSERT_LE(size, 256);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(rig.log[static_cast<size_t>(1 + i)], "size " + Num(i) + " " + Num(size));
            EXPECT_EQ(rig.log[static_cast<size_t>(13 + i)], "ellipse " + Num(i) + " " + Num(size));
            const double offset = (256 - size) / 2.0;
            EXPECT_EQ(rig.log[static_cast<size_t>(25 + i)],
                      "move " + Num(i) + " " + Num((i % 4) * 256 + offset) + " " + Num((i / 4) * 256 + offset));
        }
    }
}

TEST(FormKeyDown, ArrowsStepCdTracksOnlyWithCdMusic) {
    struct Case {
        int16_t kind, key;
        int track;  // where the CD goes from track 5; 0: the key ends the saver
    };
    for (Case c : {Case{1, 37, 4}, Case{1, 39, 6}, Case{1, 38, 0}, Case{1, 40, 0}, Case{1, 65, 0}, Case{1, 27, 0},
                   Case{0, 37, 0}, Case{2, 39, 0}, Case{3, 37, 0}}) {
        SaverRig rig;
        rig.settings.BgmKind = c.kind;
        rig.mci.cdFails = false;
        Lvx_S& s = rig.Make();
        s.Form_KeyDown(c.key, 0);
        SCOPED_TRACE(std::to_string(c.kind) + " key " + std::to_string(c.key));
        EXPECT_EQ(s.Ended(), c.track == 0);
        if (c.track != 0) {
            // Left goes to the track before the current one, Right to the next.
            const std::string t = std::to_string(c.track);
            EXPECT_EQ(Only(rig.log, {"mci"}), (Log{"mci status cdaudio current track",
                                                   "mci status cdaudio position track " + t,
                                                   "mci play cdaudio from " + t + ":00:00:00"}));
            EXPECT_EQ(Count(rig.log, "end"), 0);
        }
    }
}

// Runs the saver until a key is pressed in the first pump and returns the
// log from the pump on; the second pump (if any) runs `then`.
Log KeyEnding(SaverRig& rig, std::function<void(Lvx_S&)> before = nullptr, std::function<void(Lvx_S&)> then = nullptr) {
    Lvx_S& s = rig.Make();
    rig.port.pumps.push_back([&rig, before] {
        if (before) before(*rig.saver);
        rig.saver->Form_KeyDown(65, 0);
    });
    if (then) rig.port.pumps.push_back([&rig, then] { then(*rig.saver); });
    s.Form_Load();
    Log from = rig.From("pump");
    if (!from.empty()) from.erase(from.begin());
    return from;
}

TEST(EndSaver, SequencesByModePlatformPasswordAndMusic) {
    struct Case {
        const char* name;
        bool saverMode;
        int32_t platform;
        int16_t kind;
        const char* file;
        Log expected;
    };
    const Log tail = {"spi 17 1", "unload", "end"};
    auto with = [&tail](Log head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    for (const Case& c : {
             Case{"S on NT", true, 2, 0, "", with({"spi 97 0", "ShowCursor 1"})},
             Case{"empty text on NT", false, 2, 0, "", with({})},
             Case{"S on 9x", true, 1, 0, "", with({"ShowCursor 1", "password", "spi 97 0", "ShowCursor 1"})},
             Case{"empty text on 9x", false, 1, 0, "", with({})},
             Case{"MP3", true, 2, 2, "C:\\x.MP3", with({"mci stop MP3Play", "mci close MP3Play", "spi 97 0", "ShowCursor 1"})},
             Case{"WAV", false, 2, 2, "C:\\x.wav", with({"wave stop"})},
             Case{"other file", false, 2, 2, "C:\\x.ogg", with({})},
             Case{"CD with Timer2 on", true, 2, 1, "",
                  with({"timer2 off", "mci stop cdaudio", "mci close cdaudio", "spi 97 0", "ShowCursor 1"})},
         }) {
        SaverRig rig(c.saverMode);
        rig.app.platformId = c.platform;
        rig.settings.BgmKind = c.kind;
        rig.settings.BgmFile = c.file;
        EXPECT_EQ(KeyEnding(rig), c.expected) << c.name;
        EXPECT_TRUE(rig.saver->Ended()) << c.name;
    }
}

TEST(EndSaver, CdWhosePollFailedIsNotClosed) {
    SaverRig rig;
    rig.settings.BgmKind = 1;
    // The first poll fails (no disc) and turns Timer2 off for good.
    Log log = KeyEnding(rig, [](Lvx_S& s) { s.Timer2_Timer(); });
    EXPECT_EQ(log, (Log{"mci status cdaudio current track", "timer2 off", "spi 97 0", "ShowCursor 1", "spi 17 1",
                        "unload", "end"}));
}

TEST(EndSaver, RefusedPasswordAfterAKeyKeepsEverythingGoing) {
    SaverRig rig;
    rig.app.platformId = 1;
    rig.port.password = 0;
    rig.settings.BgmKind = 2;
    rig.settings.BgmFile = "C:\\x.mp3";
    // Refused on the key; the loop goes on, and the next key is accepted.
    Log log = KeyEnding(rig, nullptr, [&rig](Lvx_S& s) {
        rig.port.password = 1;
        s.Form_KeyDown(13, 0);
    });
    ASSERT_GE(log.size(), 12u);
    EXPECT_EQ(Log(log.begin(), log.begin() + 3), (Log{"ShowCursor 1", "password", "ShowCursor 0"}));
    // Nothing stopped: the next pass turns on, to 2 degrees.
    EXPECT_EQ(log[3].substr(0, 9), "draw 0 2 ");
    EXPECT_EQ(Log(log.end() - 9, log.end()), (Log{"ShowCursor 1", "password", "mci stop MP3Play", "mci close MP3Play",
                                                 "spi 97 0", "ShowCursor 1", "spi 17 1", "unload", "end"}));
    EXPECT_TRUE(rig.saver->Ended());
}

TEST(EndSaver, NotOpenedTwiceWhileThePasswordDialogServesEvents) {
    SaverRig rig;
    rig.app.platformId = 1;
    // While the dialog is open a click on a picture arrives.
    struct ClickingPort : testing::FakeSaverPort {
        using FakeSaverPort::FakeSaverPort;
        Lvx_S* saver = nullptr;
        int32_t VerifyPassword() override {
            if (saver != nullptr) saver->PicDraw_MouseDown(3, 1, 0, 1, 1);
            return FakeSaverPort::VerifyPassword();
        }
    } port(rig.log);
    Sound_02 sound(rig.settings, rig.mci, rig.wave);
    Lvx_S saver(rig.settings, true, port, rig.app, rig.gdi, sound);
    port.saver = &saver;
    saver.End_Saver();
    EXPECT_EQ(Count(rig.log, "password"), 1);
    EXPECT_EQ(Count(rig.log, "end"), 1);
}

TEST(RotateLoop, OnlyAMoveOnBothAxesEnds) {
    struct Case {
        const char* name;
        std::deque<std::optional<std::pair<int32_t, int32_t>>> readings;  // after the start reading
        uint64_t passes;
    };
    using P = std::pair<int32_t, int32_t>;
    for (const Case& c : {
             Case{"horizontal, then vertical, then both", {P{900, 384}, P{0, 384}, P{512, 0}, P{512, 767}, P{513, 385}}, 5},
             Case{"one pixel on both axes", {P{512, 384}, P{511, 383}}, 2},
             Case{"a failed first reading compares (0, 0)", {std::nullopt}, 1},
             Case{"a failed reading compares the last good one",
                  {P{900, 384}, std::nullopt, std::nullopt, P{900, 383}}, 4},
         }) {
        SaverRig rig;
        rig.port.readings = c.readings;
        rig.port.readings.push_front(P{512, 384});
        Lvx_S& s = rig.Make();
        s.Form_Load();
        EXPECT_EQ(s.Passes(), c.passes) << c.name;
        EXPECT_TRUE(s.Ended()) << c.name;
    }
}

TEST(RotateLoop, WaitsForEachFrameAndServesEventsMeanwhile) {
    SaverRig rig;
    // Two events arrive before the frame; the pointer moves with the second.
    rig.port.wakes = {Wake::Events, Wake::Events, Wake::Frame};
    rig.port.readings = {std::make_pair(10, 10), std::make_pair(10, 10), std::make_pair(10, 11),
                         std::make_pair(10, 10), std::make_pair(11, 11)};
    Lvx_S& s = rig.Make();
    s.Form_Load();
    Log log = Only(rig.log, {"draw 0", "cursor", "wait", "pump", "end"});
    Log tail(std::find(log.begin(), log.end(), "cursor 10 10"), log.end());
    for (std::string& line : tail) {
        if (line.rfind("draw 0", 0) == 0) line = line.substr(0, 8);
    }
    EXPECT_EQ(tail, (Log{"cursor 10 10", "draw 0 1", "cursor 10 10", "wait frame -> events", "pump", "cursor 10 11",
                         "wait frame -> events", "pump", "cursor 10 10", "wait frame -> frame", "pump", "draw 0 2",
                         "cursor 11 11", "end"}));
    EXPECT_EQ(s.Passes(), 2u);
}

TEST(RotateLoop, PointerMovedDuringAWaitEndsWithoutAnotherPass) {
    SaverRig rig;
    rig.port.wakes = {Wake::Events};
    rig.port.readings = {std::make_pair(10, 10), std::make_pair(10, 10), std::make_pair(30, 40)};
    Lvx_S& s = rig.Make();
    s.Form_Load();
    EXPECT_EQ(s.Passes(), 1u);
    EXPECT_TRUE(s.Ended());
}

TEST(RotateLoop, OneDegreePerPassBackToZeroAfter360) {
    SaverRig rig;
    std::deque<std::optional<std::pair<int32_t, int32_t>>> readings(362, std::make_pair(7, 7));
    readings.push_back(std::make_pair(8, 8));
    rig.port.readings = readings;
    Lvx_S& s = rig.Make();
    s.Form_Load();
    Log log = Only(rig.log, {"draw 0"});
    ASSERT_EQ(log.size(), 363u);
    for (size_t pass = 0; pass < log.size(); ++pass) {
        const std::string angle = Num(static_cast<double>(pass % 360));
        EXPECT_EQ(log[pass].substr(0, 7 + angle.size() + 1), "draw 0 " + angle + " ") << pass;
    }
    EXPECT_EQ(s.CurrentAngle, 2.0f);
}

TEST(RotateLoop, RefusedPasswordFromTheLoopStopsTheTurning) {
    SaverRig rig;
    rig.app.platformId = 1;
    rig.port.password = 0;
    rig.port.readings = {std::make_pair(10, 10), std::make_pair(10, 10), std::make_pair(20, 20)};
    Lvx_S& s = rig.Make();
    s.Form_Load();  // returns: the loop is not resumed
    EXPECT_FALSE(s.Ended());
    EXPECT_EQ(s.Passes(), 2u);
    EXPECT_EQ(Log(rig.log.end() - 4, rig.log.end()), (Log{"cursor 20 20", "ShowCursor 1", "password", "ShowCursor 0"}));

    // The timer still changes the background and colours, nothing is drawn.
    rig.settings.ColorInterval = 0;
    rig.settings.BackColorRandom = 1;
    rig.log.clear();
    s.Timer3_Timer();
    EXPECT_EQ(rig.log, (Log{"back " + Num(rig.settings.BackColor)}));
    // A key still ends it once the password is accepted.
    rig.port.password = 1;
    s.Form_KeyDown(32, 0);
    EXPECT_TRUE(s.Ended());
    EXPECT_EQ(s.Passes(), 2u);
}

// A front that drives the passes itself: set-up without the loop, then one
// step per frame, with what the step answers and what the saver is left in.
TEST(RotateStep, OnePassAtATimeWithTheLoopsRules) {
    struct Case {
        const char* name;
        std::vector<std::optional<std::pair<int32_t, int32_t>>> readings;  // start, then one per step
        int32_t platformId;
        int32_t password;
        std::vector<bool> answers;
        bool ended;
    };
    const std::optional<std::pair<int32_t, int32_t>> still = std::make_pair(10, 10);
    const std::optional<std::pair<int32_t, int32_t>> apart = std::make_pair(11, 12);
    const std::optional<std::pair<int32_t, int32_t>> oneAxis = std::make_pair(10, 99);
    for (const Case& c : {
             Case{"still", {still, still, still, still}, 2, 1, {true, true, true}, false},
             Case{"one axis only", {still, oneAxis, still}, 2, 1, {true, true}, false},
             Case{"moved", {still, still, apart}, 2, 1, {true, false}, true},
             // A failed reading compares (0, 0): apart from (10, 10).
             Case{"reading fails", {still, std::nullopt}, 2, 1, {false}, true},
             Case{"password refused", {still, apart}, 1, 0, {false}, false},
         }) {
        SaverRig rig;
        rig.app.platformId = c.platformId;
        rig.port.password = c.password;
        rig.port.readings.assign(c.readings.begin(), c.readings.end());
        Lvx_S& s = rig.Make();
        s.Form_Setup();
        EXPECT_EQ(s.Passes(), 0u) << c.name;
        EXPECT_EQ(Count(rig.log, "wait"), 0) << c.name;
        s.Rotate_Begin();
        for (size_t i = 0; i < c.answers.size(); ++i) {
            EXPECT_EQ(s.Rotate_Step(), c.answers[i]) << c.name << " step " << i;
            EXPECT_EQ(s.CurrentAngle, static_cast<float>(i + 1)) << c.name;
        }
        EXPECT_EQ(s.Passes(), c.answers.size()) << c.name;
        EXPECT_EQ(s.Ended(), c.ended) << c.name;
        // A step neither waits nor pumps: the caller serves events.
        EXPECT_EQ(Count(rig.log, "wait") + Count(rig.log, "pump"), 0) << c.name;
    }
}

TEST(RotateLoop, TicksRunOnlyBetweenPasses) {
    SaverRig rig;
    rig.settings.ColorInterval = 0;
    rig.port.pumps = {[&rig] { rig.saver->Timer3_Timer(); }, [&rig] { rig.saver->Form_KeyDown(65, 0); }};
    Lvx_S& s = rig.Make();
    s.Form_Load();
    // Colours drawn in pass 2 are those the tick between the passes made.
    Log log = Only(rig.log, {"draw 0", "refresh 11", "pump", "end"});
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[4], "pump");
    EXPECT_EQ(log[5], "draw 0 2 " + Num(s.PictureColor1[0]) + " " + Num(s.PictureColor2[0]));
    EXPECT_NE(log[2].substr(9), log[5].substr(9));
}

TEST(Covers, EveryOtherMonitorFromTheStartAndAfterEachChange) {
    SaverRig rig;
    rig.port.monitors = {{-1280, 0, 0, 1024}, {0, 0, 1024, 768}, {1024, -600, 1824, 0}};
    rig.port.cursor = std::make_pair(10, 10);
    rig.port.pumps = {[&rig] {
        rig.port.monitors = {{0, 0, 1024, 768}, {1024, 0, 2048, 768}};
        rig.saver->Display_Change();
    }, [&rig] {
        rig.port.monitors = {{0, 0, 1024, 768}};
        rig.saver->Display_Change();
    }, [&rig] { rig.saver->Form_KeyDown(32, 0); }};
    rig.Make().Form_Load();
    EXPECT_EQ(Only(rig.log, {"topmost", "covers", "end"}),
              (Log{"topmost", "covers -1280,0,0,1024 1024,-600,1824,0", "covers 1024,0,2048,768", "covers", "end"}));
}

TEST(DisplayPower, OffDrawsNothingAndWaitsForEventsOnly) {
    SaverRig rig;
    rig.port.cursor = std::make_pair(10, 10);
    // Off between passes 1 and 2; a timer tick and a pointer reading while
    // off; back on; then a key ends it.
    rig.port.wakes = {Wake::Frame, Wake::Events, Wake::Events, Wake::Frame, Wake::Frame, Wake::Frame};
    rig.port.pumps = {[&rig] { rig.saver->Display_Power(false); }, [&rig] { rig.saver->Timer3_Timer(); },
                      [&rig] { rig.saver->Display_Power(true); }, nullptr,
                      [&rig] { rig.saver->Form_KeyDown(65, 0); }};
    Lvx_S& s = rig.Make();
    s.Form_Load();
    Log log = Only(rig.log, {"draw 0", "wait", "pump", "end"});
    for (std::string& line : log) {
        if (line.rfind("draw 0", 0) == 0) line = line.substr(0, 8);
    }
    EXPECT_EQ(log, (Log{"draw 0 0", "draw 0 1", "wait frame -> frame", "pump",
                        // Off: a frame that would have come is not wanted.
                        "wait events -> events", "pump", "wait events -> events", "pump",
                        // On again: the next frame draws on from 1 degree.
                        "wait frame -> frame", "pump", "draw 0 2", "wait frame -> frame", "pump", "end"}));
    EXPECT_TRUE(s.DisplayOn());
}

TEST(DisplayPower, KeysAndThePointerStillEndTheSaverWhileOff) {
    for (bool byKey : {true, false}) {
        SaverRig rig;
        // Start, pass 1, first wake while off; the second wake's reading moves.
        rig.port.cursor = std::make_pair(10, 10);
        rig.port.readings = {std::make_pair(10, 10), std::make_pair(10, 10), std::make_pair(10, 10),
                             std::make_pair(byKey ? 10 : 40, byKey ? 10 : 50)};
        rig.port.wakes = {Wake::Frame, Wake::Events, Wake::Events};
        rig.port.pumps = {[&rig] { rig.saver->Display_Power(false); }, nullptr, [&rig, byKey] {
                              if (byKey) rig.saver->Form_KeyDown(13, 0);
                          }};
        Lvx_S& s = rig.Make();
        s.Form_Load();
        EXPECT_TRUE(s.Ended()) << byKey;
        EXPECT_FALSE(s.DisplayOn());
        EXPECT_EQ(s.Passes(), 1u) << byKey;
    }
}

class FailingGdi : public testing::QuietGdi {
public:
    bool ReadClientRect(GdiHandle, int32_t& right, int32_t& bottom) override {
        right = bottom = 10;
        return true;
    }
};

TEST(DrawPictures, AFailingDrawWarnsOncePerRun) {
    SaverRig rig;
    FailingGdi gdi;
    WarnOnceGradientPort once(gdi);
    Sound_02 sound(rig.settings, rig.mci, rig.wave);
    Lvx_S s(rig.settings, true, rig.port, rig.app, once, sound);
    rig.port.brokenPictures = true;
    for (int pass = 0; pass < 3; ++pass) s.Draw_Pictures();
    EXPECT_EQ(gdi.warnings.size(), 1u);
    EXPECT_EQ(Count(rig.log, "refresh"), 36);
    // Without the wrapper every picture of every pass would ask.
    Lvx_S bare(rig.settings, true, rig.port, rig.app, gdi, sound);
    bare.Draw_Pictures();
    EXPECT_EQ(gdi.warnings.size(), 13u);

    // Everything else reaches the real port: each picture's bitmap memory too.
    rig.port.brokenPictures = false;
    s.Draw_Pictures();
    EXPECT_EQ(gdi.pixelRequests.size(), 12u);
}

// A port that paints whole passes gets, in one call, what drawing one by one
// would have given each picture: the same angle and the resolved colours,
// for as many pictures as are shown; nothing is then drawn one by one.
TEST(DrawPictures, APortTakingWholePassesGetsWhatEachDrawWouldGet) {
    struct Case {
        int16_t count;
        float angle;
        int32_t colour;  // every picture's first colour
    } cases[] = {{12, 0, 0x00102030}, {5, 359.5f, 0x00FFFFFF}, {12, 720.25f, static_cast<int32_t>(0x80000005)}, {0, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        Log byPass, byPicture;
        for (const bool whole : {true, false}) {
            SaverRig rig;
            rig.settings.PictureCount = c.count;
            Lvx_S& s = rig.Make();
            rig.port.gradient = &s.Gradient;
            rig.port.takesPasses = whole;
            s.CurrentAngle = c.angle;
            for (size_t i = 0; i < 12; ++i) {
                s.PictureColor1[i] = c.colour;
                s.PictureColor2[i] = static_cast<int32_t>(i) * 0x010101;
            }
            s.Draw_Pictures();
            for (std::string line : Only(rig.log, {"whole ", "draw ", "refresh "})) {
                if (line.rfind("draw ", 0) == 0) line = "whole " + line.substr(5);
                (whole ? byPass : byPicture).push_back(line);
            }
        }
        EXPECT_EQ(Count(byPicture, "refresh"), c.count);
        byPicture.erase(std::remove_if(byPicture.begin(), byPicture.end(),
                                       [](const std::string& l) { return l.rfind("refresh", 0) == 0; }),
                        byPicture.end());
        EXPECT_EQ(byPass, byPicture);
        EXPECT_EQ(static_cast<int>(byPass.size()), c.count);
    }
}

}  // namespace
}  // namespace lvx

namespace lvx {
namespace {

// A hack's window that changes size: the grid is made anew for it and every
// picture takes the new size and its place in the new cell; with random
// sizes on, the size is drawn within the new width's bounds instead.
TEST(ScreenResized, TheGridAndTheSizesFollowTheWindow) {
    SaverRig rig;
    rig.settings.Shape = 1;
    Lvx_S& s = rig.Make();
    s.Screen_Resized(300, 200, 63);
    EXPECT_EQ(s.CellWidth, 75);
    EXPECT_EQ(s.CellHeight, 67);
    EXPECT_EQ(rig.settings.PictureSize, 63);
    const Log log = Only(rig.log, {"size ", "ellipse ", "move "});
    ASSERT_EQ(log.size(), 36u);
    EXPECT_EQ(log[0], "size 0 63");
    EXPECT_EQ(log[12], "ellipse 0 63");
    // Cell 11 is the last of the bottom row: (225, 134) plus half the spare room.
    EXPECT_EQ(log[35], "move 11 231 136");

    SaverRig random;
    random.settings.SizeRandom = 1;
    Lvx_S& r = random.Make();
    for (int i = 0; i < 50; ++i) {
        r.Screen_Resized(640, 480, 1);
        EXPECT_GE(random.settings.PictureSize, 80);
        EXPECT_LE(random.settings.PictureSize, 160);
    }
}

}  // namespace
}  // namespace lvx
