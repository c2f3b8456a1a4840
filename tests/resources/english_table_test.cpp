// The table of English meanings (src/resources/english.tsv) must name each
// text the program shows by its key and hold it exactly: the user's README
// and the other front ends' English take their texts from it.
#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "app/lvx_b.h"
#include "dialog/lvx_p.h"
#include "dialog/lvx_p_layout.h"
#include "render/cls_gradient.h"
#include "sound/sound_02.h"
#include "resources/english_table.h"

namespace lvx {
namespace {

std::string FromCp932(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 in iconv");
    std::string in(bytes), out(bytes.size() * 3 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t left = in.size(), room = out.size();
    const size_t done = iconv(cd, &src, &left, &dst, &room);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) throw std::runtime_error("not CP932");
    out.resize(out.size() - room);
    return out;
}

// Records the warning Draw shows; the client area is 10 x 10.
class WarningPort : public GradientPort {
public:
    std::string warning;
    int32_t SystemColor(int32_t) override { return 0; }
    void LockUpdates(GdiHandle) override {}
    bool ReadClientRect(GdiHandle, int32_t& right, int32_t& bottom) override {
        right = bottom = 10;
        return true;
    }
    GdiHandle CreateSolidPen(int32_t) override { return 1; }
    GdiHandle SelectIntoDc(GdiHandle, GdiHandle) override { return 1; }
    void MoveTo(GdiHandle, int32_t, int32_t) override {}
    void DrawLineTo(GdiHandle, int32_t, int32_t) override {}
    void DeletePen(GdiHandle) override {}
    void ShowWarning(std::string_view text, std::string_view) override { warning = text; }
    bool OpenPixels(GdiHandle, PixelSurface&) override { return false; }
};

// A target whose failure is not an exception the program knows.
class OddTarget : public GradientTarget {
public:
    GdiHandle WindowHandle() override { throw 42; }
    GdiHandle DeviceContext() override { return 1; }
};

std::string DrawWarning(GradientTarget& target) {
    WarningPort port;
    clsGradient gradient(port);
    gradient.Draw(target);
    return port.warning;
}

// Every text the portable program shows, by the table's key: the dialog's
// captions by control name and index, the rest by the routine or constant
// that makes them.
std::map<std::string, std::string> ProgramTexts() {
    std::map<std::string, std::string> texts;
    texts["kDialogCaption"] = kDialogCaption;
    for (const dialog::ItemDef& item : dialog::kItems) {
        const bool caption = item.kind == dialog::Kind::Label && !item.text.empty() &&
                             item.text != dialog::CreditText() && item.text != dialog::WebAddress();
        const bool swatch = item.kind == dialog::Kind::Swatch;  // no text; the table says what it is
        if (caption || swatch) {
            texts[std::string(item.name) + "(" + std::to_string(item.index) + ")"] = item.text;
        }
    }
    texts["kIntervalSuffix"] = dialog::kIntervalSuffix;
    texts["SaveFailureMessage(CannotRead)"] = dialog::SaveFailureMessage(SaveFailure::CannotRead);
    texts["SaveFailureMessage(ReadOnlyFile)"] = dialog::SaveFailureMessage(SaveFailure::ReadOnlyFile);
    texts["SaveFailureMessage(CannotWrite)"] = dialog::SaveFailureMessage(SaveFailure::CannotWrite);
    texts["MusicFileUnusableMessage"] = dialog::MusicFileUnusableMessage();
    HandleTarget noWindow(0, 1), noDc(1, 0);
    OddTarget odd;
    texts["TargetError(Window)"] = DrawWarning(noWindow);
    texts["TargetError(DeviceContext)"] = DrawWarning(noDc);
    texts["clsGradient.Draw(Unknown)"] = DrawWarning(odd);
    texts["kNoCommandText"] = FromCp932(kNoCommandText);
    texts["kNoErrorText"] = FromCp932(kNoErrorText);
    return texts;
}

// Texts only the Windows shell holds, checked by the Windows tests.
const std::set<std::string> kCheckedUnderWindows = {
    "ChooseMusicFile.Title",   // tests/dialog/lvx_p_win32_test.cpp
    "ChooseMusicFile.Filter",  // the same
    "FileDescription",         // tests/resources/version_texts.sh, in the built program
};

TEST(EnglishTable, HoldsEveryTextOfTheProgramExactly) {
    const auto table = test::ReadEnglishTable(LVX_ENGLISH_TABLE);
    const auto texts = ProgramTexts();
    EXPECT_GE(texts.size(), 33u);  // a lost group of captions shows here
    for (const auto& [key, text] : texts) {
        const auto row = table.find(key);
        if (row == table.end()) {
            ADD_FAILURE() << "no row for " << key << " (" << text << ")";
            continue;
        }
        EXPECT_EQ(row->second.japanese, text) << key;
    }
}

// Rows of the other front ends: the hack's settings window (its labels are
// checked against the table by the hack's tests) and the web page (built from
// the table).
bool OtherFrontEnd(const std::string& key) { return key.rfind("xml.", 0) == 0 || key.rfind("web.", 0) == 0; }

TEST(EnglishTable, NamesOnlyTextsTheProgramHas) {
    const auto table = test::ReadEnglishTable(LVX_ENGLISH_TABLE);
    const auto texts = ProgramTexts();
    for (const auto& [key, row] : table) {
        if (OtherFrontEnd(key)) continue;
        EXPECT_TRUE(texts.count(key) == 1 || kCheckedUnderWindows.count(key) == 1)
            << key << " (" << row.japanese << ") is no text of the program";
    }
}

}  // namespace
}  // namespace lvx
