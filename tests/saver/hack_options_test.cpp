#include "saver/x11/hack_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "settings/settings_file.h"

namespace lvx::hack {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::map<std::string, std::string> g_files;
std::optional<std::string> ReadFake(const std::string& path) {
    auto it = g_files.find(path);
    if (it == g_files.end()) return std::nullopt;
    return it->second;
}
std::optional<int32_t> Colours(const std::string& name) {
    if (name == "red") return 0x0000FF;
    return std::nullopt;
}

// Parses and builds the settings for a window of this width; the error
// line when either step refuses.
struct Outcome {
    bool ok = false;
    std::string error;
    Options options;
    Settings settings;
};
Outcome RunHack(const std::string& line, double width = 1920, const char* env = nullptr) {
    Outcome out;
    auto o = Parse(Words(line), env, out.error);
    if (!o) return out;
    out.options = *o;
    out.ok = BuildSettings(*o, width, ReadFake, Colours, out.settings, out.error);
    return out;
}

TEST(HackOptions, EachSettingItsBoundsAndItsMessage) {
    g_files.clear();
    struct Case {
        std::string line;
        double width;
        // -1: not checked
        int size, sizeRandom, interval, gradation, backRandom, back, shape;
        std::string error;  // empty: accepted
    };
    const std::vector<Case> cases = {
        // Defaults of the settings reader: size 5/6 of a quarter of the width.
        {"", 1920, 400, 0, 15, 1, 0, 0, 0, ""},
        {"", 300, 63, 0, 15, 1, 0, 0, 0, ""},
        {"-size 300", 1920, 300, -1, -1, -1, -1, -1, -1, ""},
        // Clamped into an eighth .. a quarter of the width, as the reader does.
        {"-size 1", 1920, 240, -1, -1, -1, -1, -1, -1, ""},
        {"-size 32767", 1920, 480, -1, -1, -1, -1, -1, -1, ""},
        {"-size 32767", 300, 75, -1, -1, -1, -1, -1, -1, ""},
        {"-random-size -interval 60 -gradation 3", 1920, -1, 1, 60, 3, -1, -1, -1, ""},
        {"-random-size --no-random-size", 1920, -1, 0, -1, -1, -1, -1, -1, ""},
        {"-background #102030 -random-background -shape circle", 1920, -1, -1, -1, -1, 1, 0x302010, 1, ""},
        {"--background red -shape square", 1920, -1, -1, -1, -1, -1, 0x0000FF, 0, ""},
        {"-size", 1920, 0, 0, 0, 0, 0, 0, 0, "lumvex-k47: option \"-size\" needs a value"},
        {"-size 0", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-size\" takes a whole number from 1 to 32767, not \"0\""},
        {"-size 12px", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-size\" takes a whole number from 1 to 32767, not \"12px\""},
        {"-interval -5", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-interval\" takes a whole number from 1 to 32767, not \"-5\""},
        {"-gradation 4", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-gradation\" takes a whole number from 0 to 3, not \"4\""},
        {"-delay 1e3", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-delay\" takes a whole number from 0 to 10000000, not \"1e3\""},
        {"-shape triangle", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-shape\" takes square or circle, not \"triangle\""},
        {"-background #12345", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-background\" takes a colour name or #RRGGBB, not \"#12345\""},
        {"-background nosuchcolour", 1920, 0, 0, 0, 0, 0, 0, 0, "lumvex-k47: unknown colour \"nosuchcolour\""},
        {"-window-id 0x", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-window-id\" takes a window id (decimal or 0x-hex), not \"0x\""},
        {"-sise 3", 1920, 0, 0, 0, 0, 0, 0, 0, "lumvex-k47: unknown option \"-sise\" (try --help)"},
        {"-settings /no/such.ini", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: cannot read the settings file \"/no/such.ini\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Outcome out = RunHack(c.line, c.width);
        EXPECT_EQ(out.ok, c.error.empty());
        EXPECT_EQ(out.error, c.error);
        if (!out.ok) continue;
        const Settings& s = out.settings;
        if (c.size >= 0) { EXPECT_EQ(s.PictureSize, c.size); }
        if (c.sizeRandom >= 0) { EXPECT_EQ(s.SizeRandom, c.sizeRandom); }
        if (c.interval >= 0) { EXPECT_EQ(s.ColorInterval, c.interval); }
        if (c.gradation >= 0) { EXPECT_EQ(s.Gradation, c.gradation); }
        if (c.backRandom >= 0) { EXPECT_EQ(s.BackColorRandom, c.backRandom); }
        if (c.back >= 0) { EXPECT_EQ(s.BackColor, c.back); }
        if (c.shape >= 0) { EXPECT_EQ(s.Shape, c.shape); }
        EXPECT_EQ(s.BgmKind, 0);
        EXPECT_EQ(s.PictureCount, 12);
    }
}

TEST(HackOptions, WindowChoiceFollowsTheHackConventions) {
    struct Case {
        std::string line;
        const char* env;
        Options::Target target;
        unsigned long id;
    };
    const std::vector<Case> cases = {
        {"", nullptr, Options::Target::OwnWindow, 0},
        {"", "0x400007", Options::Target::WindowId, 0x400007},
        {"-root", nullptr, Options::Target::Root, 0},
        {"--root", "4194311", Options::Target::WindowId, 4194311},
        {"-window", "0x400007", Options::Target::OwnWindow, 0},
        {"-window-id 0x2a00003", "0x400007", Options::Target::WindowId, 0x2a00003},
        {"-window-id 1234 -fps -delay 0", nullptr, Options::Target::WindowId, 1234},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string error;
        auto o = Parse(Words(c.line), c.env, error);
        ASSERT_TRUE(o) << error;
        EXPECT_EQ(o->target, c.target);
        if (c.target == Options::Target::WindowId) { EXPECT_EQ(o->windowId, c.id); }
    }
    std::string error;
    EXPECT_FALSE(Parse({"-root"}, "garbage", error));
    EXPECT_EQ(error, "lumvex-k47: XSCREENSAVER_WINDOW is not a window id: \"garbage\"");
}

TEST(HackOptions, ASettingsFileIsReadAsTheWindowsProgramWritesItAndLaterOptionsWin) {
    // Keys in code page 932, CRLF, as the Windows program writes them.
    std::string ini = "[Section]\r\n";
    ini += std::string(key::PictureSize) + "=350\r\n";
    ini += std::string(key::Gradation) + "=2\r\n";
    ini += std::string(key::BackColor) + "=255\r\n";
    ini += std::string(key::Shape) + "=1\r\n";
    ini += std::string(key::BgmKind) + "=2\r\n";
    g_files = {{"/s/Lumvex_K47.ini", ini}};

    Outcome a = RunHack("-shape square -settings /s/Lumvex_K47.ini -gradation 0");
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_EQ(a.settings.PictureSize, 350);
    EXPECT_EQ(a.settings.Gradation, 0);   // given after the file
    EXPECT_EQ(a.settings.Shape, 1);       // given before it: the file wins
    EXPECT_EQ(a.settings.BackColor, 255);
    EXPECT_EQ(a.settings.ColorInterval, 15);  // not in the file: the default
    EXPECT_EQ(a.settings.BgmKind, 0);         // silent

    // The file's size obeys the same bounds for a small window.
    Outcome b = RunHack("-settings /s/Lumvex_K47.ini", 300);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.settings.PictureSize, 75);
}

// Every choice the settings window can make must be one the program takes.
TEST(HackOptions, EveryArgumentOfTheShippedSettingsDescriptionIsAccepted) {
    std::ifstream in(std::string(LVX_SOURCE_DIR) + "/src/saver/x11/lumvex-k47.xml");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();

    std::vector<std::string> lines;
    const std::regex element(R"(<(\w+)\b([^>]*)>)");
    const std::regex attribute(R"(([\w-]+)="([^"]*)\")");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string tag = (*it)[1];
        std::map<std::string, std::string> attrs;
        const std::string body = (*it)[2];
        for (auto a = std::sregex_iterator(body.begin(), body.end(), attribute); a != std::sregex_iterator(); ++a) {
            attrs[(*a)[1]] = (*a)[2];
        }
        if (attrs.count("arg-set")) lines.push_back(attrs["arg-set"]);
        if (attrs.count("arg") && tag == "command") lines.push_back(attrs["arg"]);
        if (attrs.count("arg") && tag == "number") {
            for (const char* v : {"low", "high", "default"}) {
                ASSERT_TRUE(attrs.count(v)) << attrs["arg"];
                lines.push_back(std::regex_replace(attrs["arg"], std::regex("%"), attrs[v]));
            }
        }
        if (attrs.count("arg") && tag == "string") {
            for (const char* v : {"red", "#0080ff"}) lines.push_back(std::regex_replace(attrs["arg"], std::regex("%"), v));
        }
        if (attrs.count("arg") && tag == "file") {
            g_files = {{"/s/x.ini", "[Section]\r\n"}};
            lines.push_back(std::regex_replace(attrs["arg"], std::regex("%"), "/s/x.ini"));
        }
    }
    ASSERT_GE(lines.size(), 15u);
    for (const std::string& line : lines) {
        const Outcome out = RunHack(line);
        EXPECT_TRUE(out.ok) << line << ": " << out.error;
    }
}

}  // namespace
}  // namespace lvx::hack
