#include "dialog/lvx_p.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "dialog/fake_dialog_port.h"
#include "dialog/zoom.h"
#include "settings/fake_settings_port.h"

namespace lvx::dialog {
namespace {

using lvx::testing::FakeDialogPort;
using lvx::testing::FakeSettingsPort;

// A dialog on fake ports, loaded from the settings the start-up would load
// from the fake file.
struct Rig {
    FakeSettingsPort files;
    FakeDialogPort port;
    Settings settings;
    std::unique_ptr<Lvx_P> dlg;

    explicit Rig(std::string ini = {}, double width = 1024) {
        files.width = width;
        if (!ini.empty()) files.Ini() = "[Section]\r\n" + ini;
        Load_ini_File(settings, files, /*keepMusicChoice=*/true);
        dlg = std::make_unique<Lvx_P>(settings, port, files);
        dlg->Form_Load();
        port.calls.clear();
    }
    Picture Pic(std::string_view name, int index = -1) const { return dlg->PictureOf(FindItem(name, index)); }
    std::string Text(std::string_view name, int index = -1) const { return dlg->TextOf(FindItem(name, index)); }
    bool BrowseEnabled() const { return dlg->Enabled(FindItem("lbl_Button", 2)); }
    // A press and release on an item with the given button, the pointer staying on it.
    void Press(std::string_view name, int index = -1, bool left = true) {
        const int item = FindItem(name, index);
        dlg->PointerDown(item);
        dlg->PointerUp(item, left);
    }
};

std::string Line(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value) + "\r\n";
}

std::string Calls(const FakeDialogPort& port) {
    std::string all;
    for (const std::string& c : port.calls) all += c.substr(0, c.find('\n')) + ";";
    return all;
}

TEST(FormLoad, ShowsTheStoredChoices) {
    struct Row {
        std::string ini;
        int kind, gradation, shape;
        bool comboEnabled, browseEnabled;
        Picture sizeRandom, backRandom;
    };
    const Row rows[] = {
        {"", 0, 1, 0, false, false, Picture::Ra0, Picture::Ra0},
        {Line(key::BgmKind, " 1") + Line(key::Gradation, " 0") + Line(key::SizeRandom, " 1"), 1, 0, 0, true, false,
         Picture::Ra1, Picture::Ra0},
        {Line(key::BgmKind, " 2") + Line(key::BgmFile, "D:\\away.mp3") + Line(key::Gradation, " 2") +
             Line(key::Shape, " 1") + Line(key::BackColorRandom, " 1"),
         2, 2, 1, false, true, Picture::Ra0, Picture::Ra1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.ini);
        Rig rig(r.ini);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(rig.Pic("Img_BGM", i), i == r.kind ? Picture::OptOn : Picture::OptOff) << i;
            EXPECT_EQ(rig.Pic("Img_Gra", i), i == r.gradation ? Picture::OptOn : Picture::OptOff) << i;
            EXPECT_EQ(rig.Pic("Img_Button", i), Picture::Off) << i;
        }
        for (int i = 0; i < 2; ++i) EXPECT_EQ(rig.Pic("Img_Shape", i), i == r.shape ? Picture::OptOn : Picture::OptOff);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(rig.Pic("Img_H", i), Picture::HH);
        EXPECT_EQ(rig.dlg->BgmRepeatEnabled(), r.comboEnabled);
        EXPECT_EQ(rig.BrowseEnabled(), r.browseEnabled);
        EXPECT_EQ(rig.Pic("Img_P_Rdm"), r.sizeRandom);
        EXPECT_EQ(rig.Pic("Img_B_Rdm"), r.backRandom);
    }
}

TEST(FormLoad, FillsSpinnersTextsAndSwatch) {
    Rig rig(Line(key::BgmRepeat, " 7") + Line(key::PictureSize, " 200") + Line(key::ColorInterval, " 30") +
            Line(key::BackColor, " 255") + Line(key::BgmKind, " 2") + Line(key::BgmFile, "C:\\Music\\a.mp3"));
    EXPECT_EQ(rig.dlg->BgmRepeatInitialText(), "7");
    ASSERT_EQ(rig.dlg->BgmRepeatList().size(), 21u);
    EXPECT_EQ(rig.dlg->BgmRepeatList().front(), "");
    EXPECT_EQ(rig.dlg->BgmRepeatList()[7], "7");
    EXPECT_EQ(rig.dlg->BgmRepeatList().back(), "20");
    EXPECT_EQ(rig.dlg->ScrollSize().value, 200);
    EXPECT_EQ(rig.Text("lbl_Size"), "200");
    EXPECT_EQ(rig.dlg->ScrollIntv().value, 30);
    EXPECT_EQ(rig.Text("lbl_Intv"), "30秒毎");
    EXPECT_EQ(rig.dlg->SwatchColor(), 255);
    EXPECT_EQ(rig.Text("lbl_Fname"), "C:\\Music\\a.mp3");

    Rig empty;
    EXPECT_EQ(empty.dlg->BgmRepeatInitialText(), "");
    EXPECT_EQ(empty.Text("lbl_Intv"), "15秒毎");
}

TEST(FormLoad, SpinnerRangesFollowTheScreenWidth) {
    struct Row {
        double width;
        int32_t top, bottom;
    };
    for (const Row& r : {Row{1024, 256, 128}, Row{1366, 341, 170}, Row{800, 200, 100}}) {
        Rig rig({}, r.width);
        EXPECT_EQ(rig.dlg->ScrollSize().top, r.top) << r.width;
        EXPECT_EQ(rig.dlg->ScrollSize().bottom, r.bottom) << r.width;
        EXPECT_EQ(rig.dlg->ScrollIntv().top, 60);
        EXPECT_EQ(rig.dlg->ScrollIntv().bottom, 5);
    }
}

TEST(FormLoad, StoresTheOpenPointThenZooms) {
    FakeSettingsPort files;
    FakeDialogPort port;
    Settings s;
    Load_ini_File(s, files);
    Lvx_P dlg(s, port, files);
    dlg.Form_Load();
    EXPECT_EQ(OpenPointX, 800);
    EXPECT_EQ(OpenPointY, 600);
    EXPECT_EQ(Calls(port), "cursor;zoom open;");

    port.cursorFound = false;
    Lvx_P again(s, port, files);
    again.Form_Load();
    EXPECT_EQ(OpenPointX, 0);
    EXPECT_EQ(OpenPointY, 0);
}

TEST(FormLoad, NormalisesHandEditedValuesToWhatOkSaves) {
    struct Row {
        std::string_view key, stored;
        std::string_view savedLine;  // the line of the key after OK
    };
    const Row rows[] = {
        {key::ColorInterval, " 0", " 5"},   {key::ColorInterval, "-5", " 5"},   {key::ColorInterval, " 99", " 60"},
        {key::ColorInterval, " 60", " 60"}, {key::SizeRandom, " 5", " 0"},      {key::SizeRandom, "-1", " 0"},
        {key::SizeRandom, " 1", " 1"},      {key::BackColorRandom, " 2", " 0"}, {key::BgmKind, " 7", " 0"},
        {key::BgmKind, "-1", " 0"},         {key::Gradation, " 9", " 1"},       {key::Gradation, " 2", " 2"},
        {key::Shape, " 3", " 0"},           {key::Shape, " 1", " 1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.key) + "=" + std::string(r.stored));
        Rig rig(Line(r.key, r.stored));
        rig.Press("lbl_Button", 0);
        EXPECT_NE(rig.files.Ini().find(Line(r.key, r.savedLine)), std::string::npos) << rig.files.Ini();
    }
    // The label shows the interval the spinner holds.
    Rig rig(Line(key::ColorInterval, " 99"));
    EXPECT_EQ(rig.Text("lbl_Intv"), "60秒毎");
    EXPECT_EQ(rig.dlg->ScrollIntv().value, 60);
}

TEST(Options, CheckBoxesToggleOnEveryPressOfImageOrLabel) {
    struct Row {
        std::vector<std::string_view> presses;
        int16_t sizeRandom;
    };
    const Row rows[] = {
        {{"Img_P_Rdm"}, 1},
        {{"lbl_P_Rdm"}, 1},
        {{"Img_P_Rdm", "Img_P_Rdm"}, 0},
        {{"Img_P_Rdm", "lbl_P_Rdm"}, 0},
        {{"lbl_P_Rdm", "lbl_P_Rdm", "Img_P_Rdm"}, 1},
    };
    for (const Row& r : rows) {
        Rig rig;
        for (std::string_view name : r.presses) rig.Press(name, -1, name.front() == 'I');  // both buttons act
        EXPECT_EQ(rig.settings.SizeRandom, r.sizeRandom);
        EXPECT_EQ(rig.Pic("Img_P_Rdm"), r.sizeRandom ? Picture::Ra1 : Picture::Ra0);
        EXPECT_EQ(rig.settings.BackColorRandom, 0);
    }
    Rig rig;
    rig.Press("lbl_B_Rdm", -1, false);
    EXPECT_EQ(rig.settings.BackColorRandom, 1);
    EXPECT_EQ(rig.Pic("Img_B_Rdm"), Picture::Ra1);
}

TEST(Options, ADoubleClickTogglesOnce) {
    Rig rig;
    const int item = FindItem("Img_P_Rdm");
    rig.dlg->PointerDown(item);
    rig.dlg->PointerUp(item, true);
    rig.dlg->PointerDoubleClick();
    rig.dlg->PointerUp(item, true);
    EXPECT_EQ(rig.settings.SizeRandom, 1);
    EXPECT_EQ(rig.Pic("Img_P_Rdm"), Picture::Ra1);
}

TEST(Options, MusicKindSetsTheEnabledStatesAndKeepsTextAndFile) {
    struct Row {
        std::string_view name;
        int index;
        bool combo, browse;
    };
    const Row rows[] = {
        {"lbl_BGM", 0, false, false}, {"Img_BGM", 1, true, false}, {"lbl_BGM", 2, false, true},
        {"Img_BGM", 2, false, true},  // the selected kind again: same result
    };
    Rig rig(Line(key::BgmKind, " 2") + Line(key::BgmFile, "C:\\a.mp3") + Line(key::BgmRepeat, " 3"));
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + std::to_string(r.index));
        rig.Press(r.name, r.index, false);
        EXPECT_EQ(rig.settings.BgmKind, r.index);
        EXPECT_EQ(rig.dlg->BgmRepeatEnabled(), r.combo);
        EXPECT_EQ(rig.BrowseEnabled(), r.browse);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.Pic("Img_BGM", i), i == r.index ? Picture::OptOn : Picture::OptOff);
        EXPECT_EQ(rig.Text("lbl_Fname"), "C:\\a.mp3");
        EXPECT_EQ(rig.settings.BgmFile, "C:\\a.mp3");
        EXPECT_EQ(rig.dlg->BgmRepeatInitialText(), "3");
    }
}

TEST(Options, GradationAndShapeGroups) {
    Rig rig;
    rig.Press("lbl_Gra", 2);
    EXPECT_EQ(rig.settings.Gradation, 2);
    rig.Press("Img_Gra", 0, false);
    EXPECT_EQ(rig.settings.Gradation, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.Pic("Img_Gra", i), i == 0 ? Picture::OptOn : Picture::OptOff);
    rig.Press("lbl_Shape", 1);
    EXPECT_EQ(rig.settings.Shape, 1);
    EXPECT_EQ(rig.Pic("Img_Shape", 0), Picture::OptOff);
    EXPECT_EQ(rig.Pic("Img_Shape", 1), Picture::OptOn);
    rig.Press("Img_Shape", 0);
    EXPECT_EQ(rig.settings.Shape, 0);
    EXPECT_EQ(rig.Pic("Img_Shape", 0), Picture::OptOn);
    EXPECT_EQ(rig.Pic("Img_Shape", 1), Picture::OptOff);
}

TEST(Options, SpinnersStopAtTheirEnds) {
    struct Row {
        std::string ini;
        bool interval;
        int32_t step;  // +1 the up arrow, -1 the down arrow
        int32_t value;
        std::string text;
    };
    const Row rows[] = {
        {Line(key::ColorInterval, " 60"), true, +1, 60, "60秒毎"},
        {Line(key::ColorInterval, " 60"), true, -1, 59, "59秒毎"},
        {Line(key::ColorInterval, " 5"), true, -1, 5, "5秒毎"},
        {Line(key::ColorInterval, " 5"), true, +1, 6, "6秒毎"},
        {Line(key::PictureSize, " 256"), false, +1, 256, "256"},
        {Line(key::PictureSize, " 128"), false, -1, 128, "128"},
        {Line(key::PictureSize, " 200"), false, +1, 201, "201"},
        // Onto each end: the arrows reach it.
        {Line(key::ColorInterval, " 6"), true, -1, 5, "5秒毎"},
        {Line(key::ColorInterval, " 59"), true, +1, 60, "60秒毎"},
        {Line(key::PictureSize, " 129"), false, -1, 128, "128"},
        {Line(key::PictureSize, " 255"), false, +1, 256, "256"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.ini + std::to_string(r.step));
        Rig rig(r.ini);
        if (r.interval) {
            rig.dlg->SpinIntv(rig.dlg->ScrollIntv().value + r.step);
            EXPECT_EQ(rig.dlg->ScrollIntv().value, r.value);
            EXPECT_EQ(rig.Text("lbl_Intv"), r.text);
        } else {
            rig.dlg->SpinSize(rig.dlg->ScrollSize().value + r.step);
            EXPECT_EQ(rig.dlg->ScrollSize().value, r.value);
            EXPECT_EQ(rig.Text("lbl_Size"), r.text);
        }
    }
}

// After a change of DPI without a suggested place: centred in the work
// area of the window's monitor, wholly inside it, whatever the monitor's
// place among the others.
TEST(Placement, ADpiChangeWithoutAPlaceCentresTheWindowOnItsMonitor) {
    struct Row {
        const char* what;
        std::optional<dialog::Box> work;  // left, top, width, height
        int32_t w, h;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        // 144 dpi on a 1024 x 768 screen: kept in place, its right edge stood at 1049.
        {"the primary monitor, taskbar below", dialog::Box{0, 0, 1024, 738}, 822, 526, {"move 101 106 822 526"}},
        {"a monitor right of the primary", dialog::Box{1024, 0, 1920, 1040}, 1088, 700, {"move 1440 170 1088 700"}},
        {"a monitor above and left of it", dialog::Box{-1280, -200, 1280, 1024}, 822, 526, {"move -1051 49 822 526"}},
        {"a taskbar at the left", dialog::Box{62, 0, 962, 768}, 822, 526, {"move 132 121 822 526"}},
        {"exactly the work area", dialog::Box{0, 0, 822, 526}, 822, 526, {"move 0 0 822 526"}},
        {"larger than the work area", dialog::Box{100, 50, 800, 570}, 1088, 700, {"move 100 50 1088 700"}},
        {"no monitor known: left where it is", std::nullopt, 822, 526, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Rig rig;
        rig.port.workArea = r.work;
        rig.dlg->PlaceOnItsMonitor(r.w, r.h);
        EXPECT_EQ(rig.port.calls, r.calls);
    }
}

TEST(Buttons, OkWritesExactlyTheTenKeysThenUnloads) {
    // As an earlier save left it, with a music file that is away now.
    Rig rig(Line(key::BgmKind, " 2") + Line(key::BgmRepeat, " 0") + Line(key::BgmFile, "E:\\away\\song.mp3"));
    rig.Press("lbl_P_Rdm");
    rig.Press("lbl_Gra", 2);
    rig.Press("Img_Shape", 1, false);
    rig.dlg->SpinIntv(16);
    rig.dlg->SpinSize(rig.dlg->ScrollSize().top);
    rig.port.comboText = "7";
    rig.port.calls.clear();
    const int item = FindItem("lbl_Button", 0);
    rig.dlg->PointerDown(item);
    EXPECT_EQ(rig.Pic("Img_Button", 0), Picture::On);
    EXPECT_EQ(rig.files.writes, 0);
    rig.dlg->PointerUp(-1, true);  // released off the button: still saves
    EXPECT_EQ(rig.Pic("Img_Button", 0), Picture::Off);
    EXPECT_EQ(Calls(rig.port), "do events;unload;");
    // The music file that is away keeps its kind and path.
    const std::string expected = "[Section]\r\n" + Line(key::BgmKind, " 2") + Line(key::BgmRepeat, " 7") +
                                 Line(key::BgmFile, "E:\\away\\song.mp3") + Line(key::PictureSize, " 256") +
                                 Line(key::SizeRandom, " 1") + Line(key::ColorInterval, " 16") +
                                 Line(key::Gradation, " 2") + Line(key::BackColorRandom, " 0") +
                                 Line(key::BackColor, " 0") + Line(key::Shape, " 1");
    EXPECT_EQ(rig.files.Ini(), expected);
}

TEST(Buttons, CancelAndAClosingDuringTheReleaseWriteNothing) {
    Rig rig(Line(key::Shape, " 1"));
    const std::string before = rig.files.Ini();
    rig.Press("lbl_Gra", 0);
    rig.Press("lbl_Button", 1, false);
    EXPECT_EQ(Calls(rig.port), "do events;unload;");
    EXPECT_EQ(rig.files.Ini(), before);
    EXPECT_EQ(rig.files.writes, 0);

    Rig closing;
    closing.port.closeDuringDoEvents = true;
    closing.Press("lbl_Button", 0);
    EXPECT_EQ(closing.files.writes, 0);
    EXPECT_EQ(Calls(closing.port), "do events;unload;");
}

TEST(Buttons, AFailedSaveSaysWhyAndKeepsTheDialogOpen) {
    Rig rig;
    rig.files.failWrites = true;
    rig.Press("lbl_Button", 0);
    ASSERT_EQ(rig.port.calls.size(), 2u);
    EXPECT_EQ(rig.port.calls[1], "message " + std::string(SaveFailureMessage(SaveFailure::CannotWrite)));
    EXPECT_FALSE(rig.port.unloaded);
    // Once the cause is gone, the same dialog saves.
    rig.files.failWrites = false;
    rig.Press("lbl_Button", 0);
    EXPECT_TRUE(rig.port.unloaded);
    EXPECT_NE(rig.files.Ini().find(Line(key::Gradation, " 1")), std::string::npos);
}

TEST(Buttons, EveryFailureHasItsOwnJapaneseMessage) {
    const SaveFailure all[] = {SaveFailure::CannotRead, SaveFailure::ReadOnlyFile, SaveFailure::CannotWrite};
    for (SaveFailure a : all) {
        EXPECT_EQ(SaveFailureMessage(a).rfind("設定を保存できませんでした。", 0), 0u);
        for (SaveFailure b : all) {
            if (a != b) {
                EXPECT_NE(SaveFailureMessage(a), SaveFailureMessage(b));
            }
        }
    }
}

TEST(Buttons, BrowseActsOnlyForMusicFiles) {
    Rig rig;
    rig.port.fileAnswer = ChosenFile{"C:\\Music\\a.mp3", std::nullopt};
    rig.Press("lbl_Button", 2);
    EXPECT_EQ(Calls(rig.port), "");
    EXPECT_EQ(rig.Pic("Img_Button", 2), Picture::Off);
    rig.Press("lbl_BGM", 2);
    rig.Press("lbl_Button", 2, false);
    EXPECT_EQ(Calls(rig.port), "do events;choose file;");
    EXPECT_EQ(rig.settings.BgmFile, "C:\\Music\\a.mp3");
    EXPECT_EQ(rig.Text("lbl_Fname"), "C:\\Music\\a.mp3");
    EXPECT_EQ(rig.settings.BgmKind, 2);
}

TEST(Choosers, MusicFileKeepsAPathTheSettingsFileCanHold) {
    const std::string longPath(256, 'a');
    const std::string longest = "C:\\" + std::string(252, 'a');  // 255 bytes: the most the file gives back
    struct Row {
        std::optional<ChosenFile> answer;
        std::string stored;
        bool message;
    };
    const Row rows[] = {
        {std::nullopt, "C:\\old.mp3", false},                                     // cancelled
        {ChosenFile{"C:\\M\\b.wav", "C:\\M\\B~1.WAV"}, "C:\\M\\b.wav", false},
        {ChosenFile{std::nullopt, "C:\\M\\CAF~1.MP3"}, "C:\\M\\CAF~1.MP3", false},  // outside code page 932
        {ChosenFile{longPath, "C:\\L\\LONG~1.MP3"}, "C:\\L\\LONG~1.MP3", false},    // too long to read back
        {ChosenFile{std::nullopt, std::nullopt}, "C:\\old.mp3", true},            // no short names
        {ChosenFile{longPath, std::nullopt}, "C:\\old.mp3", true},
        {ChosenFile{longest, "C:\\L\\LONG~1.MP3"}, longest, false},
    };
    for (const Row& r : rows) {
        Rig rig(Line(key::BgmKind, " 2") + Line(key::BgmFile, "C:\\old.mp3"));
        rig.port.fileAnswer = r.answer;
        rig.dlg->Choose_BGM_File();
        ASSERT_EQ(longest.size(), 255u);
        EXPECT_EQ(rig.settings.BgmFile, r.stored);
        EXPECT_EQ(rig.Text("lbl_Fname"), r.stored);
        EXPECT_EQ(Calls(rig.port).find("message このファイルは使えません。") != std::string::npos, r.message);
    }
}

TEST(Choosers, ColourSwatchOffersTheSystemColoursAndKeepsACancel) {
    Rig rig(Line(key::BackColor, " 65280"));
    rig.Press("lbl_B_C", -1, false);  // a click is the left button's
    EXPECT_EQ(Calls(rig.port), "");
    rig.Press("lbl_B_C");
    EXPECT_EQ(Calls(rig.port), "choose colour;");
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(rig.port.customSeen[static_cast<size_t>(i)], 0x10000 * i + 7);
    EXPECT_EQ(rig.dlg->SwatchColor(), 65280);
    rig.port.colourAnswer = 255;
    rig.Press("lbl_B_C");
    EXPECT_EQ(rig.dlg->SwatchColor(), 255);
    EXPECT_EQ(rig.settings.BackColor, 65280);  // the writer takes the swatch
    rig.Press("lbl_Button", 0);
    EXPECT_NE(rig.files.Ini().find(Line(key::BackColor, " 255")), std::string::npos);
}

TEST(Link, OpensTheAddressUnderTheBusyPointer) {
    Rig rig;
    const int link = FindItem("lbl_URL");
    rig.dlg->PointerDown(link);
    rig.dlg->PointerUp(-1, true);  // released elsewhere: no click
    EXPECT_EQ(Calls(rig.port), "");
    rig.Press("lbl_URL");
    EXPECT_EQ(Calls(rig.port), "busy;open " + std::string(WebAddress()) + ";default pointer;");
}

TEST(Zoom, ClosingShrinksToThePointOfOpening) {
    OpenPointX = 800;
    OpenPointY = 600;
    const ScreenRect window{240, 208, 785, 560};
    const ZoomRects open = ZoomOpenRects(window);
    EXPECT_EQ(open.from, (ScreenRect{800, 600, 800, 600}));
    EXPECT_EQ(open.to, window);
    const ZoomRects close = ZoomCloseRects(window);
    EXPECT_EQ(close.from, window);
    EXPECT_EQ(close.to, (ScreenRect{800, 600, 800, 600}));
}

}  // namespace
}  // namespace lvx::dialog
