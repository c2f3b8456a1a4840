#include "saver/x11/hack_options.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
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
        // Not #RRGGBB: the display's colour parsing judges it (and refuses it).
        {"-background #12345", 1920, 0, 0, 0, 0, 0, 0, 0, "lumvex-k47: unknown colour \"#12345\""},
        {"-background", 1920, 0, 0, 0, 0, 0, 0, 0, "lumvex-k47: option \"-background\" needs a value"},
        // 0 would mean the whole root behind the daemon's back.
        {"-window-id 0", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-window-id\" takes a window id (decimal or 0x-hex), not \"0\""},
        {"-window-id 0x0", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-window-id\" takes a window id (decimal or 0x-hex), not \"0x0\""},
        // Per cent of the default for the width, then the reader's bounds.
        {"-size-percent 100", 1024, 214, -1, -1, -1, -1, -1, -1, ""},
        {"-size-percent 90", 1920, 360, -1, -1, -1, -1, -1, -1, ""},
        {"-size-percent 60", 1920, 240, -1, -1, -1, -1, -1, -1, ""},
        {"-size-percent 10", 1920, 240, -1, -1, -1, -1, -1, -1, ""},
        {"-size-percent 400", 300, 75, -1, -1, -1, -1, -1, -1, ""},
        {"-size 300 -size-percent 50", 1024, 128, -1, -1, -1, -1, -1, -1, ""},
        {"-size-percent 50 -size 300", 1920, 300, -1, -1, -1, -1, -1, -1, ""},
        {"-size-percent 9", 1920, 0, 0, 0, 0, 0, 0, 0,
         "lumvex-k47: option \"-size-percent\" takes a whole number from 10 to 400, not \"9\""},
        {"-display :3 -geometry 300x200+5+6 -visual truecolor -mono -install", 1920, 400, -1, -1, -1, -1, -1, -1, ""},
        {"-display", 1920, 0, 0, 0, 0, 0, 0, 0, "lumvex-k47: option \"-display\" needs a value"},
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
        if (c.size >= 0) EXPECT_EQ(s.PictureSize, c.size);
        if (c.sizeRandom >= 0) EXPECT_EQ(s.SizeRandom, c.sizeRandom);
        if (c.interval >= 0) EXPECT_EQ(s.ColorInterval, c.interval);
        if (c.gradation >= 0) EXPECT_EQ(s.Gradation, c.gradation);
        if (c.backRandom >= 0) EXPECT_EQ(s.BackColorRandom, c.backRandom);
        if (c.back >= 0) EXPECT_EQ(s.BackColor, c.back);
        if (c.shape >= 0) EXPECT_EQ(s.Shape, c.shape);
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
        // The daemon's window only with -root, as the daemon asks for it.
        {"", "0x400007", Options::Target::OwnWindow, 0},
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
        if (c.target == Options::Target::WindowId) EXPECT_EQ(o->windowId, c.id);
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

// Whatever text the user typed is handed whole to the display's colour
// parsing; only #RRGGBB is read here, and only empty text is refused.
TEST(HackOptions, ColourTextGoesWholeToTheDisplay) {
    struct Case {
        std::string text;
        std::string asked;  // what the display is asked; empty: nothing
        int32_t back;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"dark slate gray", "dark slate gray", 0x4F4F2F, ""},
        {"DarkSlateGray", "DarkSlateGray", 0x4F4F2F, ""},
        {"rgb:20/40/60", "rgb:20/40/60", 0x604020, ""},
        {"#123", "#123", 0x302010, ""},
        {"#102030", "", 0x302010, ""},
        {"no such colour", "no such colour", 0, "lumvex-k47: unknown colour \"no such colour\""},
        {"", "", 0, "lumvex-k47: option \"-background\" needs a colour name or #RRGGBB"},
    };
    const std::map<std::string, int32_t> display = {{"dark slate gray", 0x4F4F2F}, {"DarkSlateGray", 0x4F4F2F},
                                                    {"rgb:20/40/60", 0x604020}, {"#123", 0x302010}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error, asked;
        const ColourResolver resolver = [&](const std::string& name) -> std::optional<int32_t> {
            asked = name;
            auto it = display.find(name);
            return it == display.end() ? std::nullopt : std::optional<int32_t>(it->second);
        };
        Settings settings;
        auto o = Parse({"-background", c.text}, nullptr, error);
        const bool ok = o && BuildSettings(*o, 1024, ReadFake, resolver, settings, error);
        EXPECT_EQ(ok, c.error.empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(asked, c.asked);
        if (ok) {
            EXPECT_EQ(settings.BackColor, c.back);
        }
    }
}

TEST(HackOptions, TheStandardOptionsOfEveryHackAreTaken) {
    std::string error;
    auto o = Parse(Words("-display :3 -geometry 300x200+5+6 -visual 0x21 -mono -install -root"), "0x400007", error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->display, ":3");
    EXPECT_EQ(o->geometry, "300x200+5+6");
    EXPECT_EQ(o->visual, "0x21");
    EXPECT_TRUE(o->mono);
    EXPECT_TRUE(o->install);
    EXPECT_EQ(o->target, Options::Target::WindowId);
    EXPECT_EQ(o->windowId, 0x400007u);
}

// Only a regular file that can be read gives bytes: a folder, a device or a
// pipe is refused (a pipe without blocking).
TEST(HackOptions, OnlyARegularFileIsASettingsFile) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("lvx-settings-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "a.ini", std::ios::binary) << "[Section]\r\nx=1\r\n";
    std::ofstream(dir / "empty.ini", std::ios::binary).flush();
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::optional<std::string> bytes;
    };
    const std::vector<Case> cases = {
        {(dir / "a.ini").string(), "[Section]\r\nx=1\r\n"},
        {(dir / "empty.ini").string(), ""},
        {dir.string(), std::nullopt},
        {(dir / "pipe").string(), std::nullopt},
        {"/dev/null", std::nullopt},
        {(dir / "missing.ini").string(), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadSettingsFile(c.path), c.bytes) << c.path;
    // And so the command line with a folder fails as an unreadable file does.
    std::string error;
    Settings settings;
    auto o = Parse({"-settings", dir.string()}, nullptr, error);
    ASSERT_TRUE(o);
    EXPECT_FALSE(BuildSettings(*o, 1024, ReadSettingsFile, Colours, settings, error));
    EXPECT_EQ(error, "lumvex-k47: cannot read the settings file \"" + dir.string() + "\"");
    std::filesystem::remove_all(dir);
}

// The shipped settings description, element by element: tag and attributes.
struct XmlElement {
    std::string tag;
    std::map<std::string, std::string> attrs;
};
std::vector<XmlElement> ShippedXml() {
    std::ifstream in(std::string(LVX_SOURCE_DIR) + "/src/saver/x11/lumvex-k47.xml");
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();
    std::vector<XmlElement> out;
    const std::regex element(R"(<(\w+)\b([^>]*)>)");
    const std::regex attribute(R"(([\w-]+)="([^"]*)\")");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        XmlElement e{(*it)[1], {}};
        const std::string body = (*it)[2];
        for (auto a = std::sregex_iterator(body.begin(), body.end(), attribute); a != std::sregex_iterator(); ++a) {
            e.attrs[(*a)[1]] = (*a)[2];
        }
        out.push_back(e);
    }
    return out;
}

// XScreenSaver leaves an option at its default out of the command line, so
// every default of the settings window must be what the hack does without
// the option, at every width.
TEST(HackOptions, EveryDefaultOfTheSettingsWindowIsTheHacksOwn) {
    // How each choice that has no argument of its own is spelt out.
    const std::map<std::string, std::string> unsetMeans = {
        {"randomSize", "-no-random-size"}, {"randomBackground", "-no-random-background"}, {"showfps", "-no-fps"},
        {"gradation/toBlack", "-gradation 1"}, {"shape/square", "-shape square"}};
    std::vector<std::string> lines;
    std::string select;
    std::set<std::string> spelt;
    for (const XmlElement& e : ShippedXml()) {
        auto at = [&](const char* name) {
            auto it = e.attrs.find(name);
            return it == e.attrs.end() ? std::string() : it->second;
        };
        if (e.tag == "select") select = at("id");
        if (e.tag == "number") {
            ASSERT_FALSE(at("default").empty()) << at("id");
            lines.push_back(std::regex_replace(at("arg"), std::regex("%"), at("default")));
        } else if (e.tag == "boolean" || (e.tag == "option" && at("arg-set").empty())) {
            const std::string id = e.tag == "option" ? select + "/" + at("id") : at("id");
            ASSERT_TRUE(unsetMeans.count(id)) << "no spelling for the default of " << id;
            lines.push_back(unsetMeans.at(id));
            spelt.insert(id);
        }
    }
    EXPECT_EQ(spelt.size(), unsetMeans.size());
    ASSERT_GE(lines.size(), 8u);
    for (double width : {300.0, 1024.0, 1366.0, 1920.0, 3840.0}) {
        const Outcome none = RunHack("", width);
        ASSERT_TRUE(none.ok);
        for (const std::string& line : lines) {
            SCOPED_TRACE(line + " at width " + std::to_string(width));
            const Outcome given = RunHack(line, width);
            ASSERT_TRUE(given.ok) << given.error;
            const Settings& a = none.settings;
            const Settings& b = given.settings;
            EXPECT_EQ(a.PictureSize, b.PictureSize);
            EXPECT_EQ(a.SizeRandom, b.SizeRandom);
            EXPECT_EQ(a.ColorInterval, b.ColorInterval);
            EXPECT_EQ(a.Gradation, b.Gradation);
            EXPECT_EQ(a.BackColorRandom, b.BackColorRandom);
            EXPECT_EQ(a.BackColor, b.BackColor);
            EXPECT_EQ(a.Shape, b.Shape);
            EXPECT_EQ(none.options.delayMicroseconds, given.options.delayMicroseconds);
            EXPECT_EQ(none.options.fps, given.options.fps);
        }
    }
}

// The settings window speaks English from the one table of English texts
// (gettext translates _label), so a desktop without Japanese fonts shows
// words, not boxes.
TEST(HackOptions, TheSettingsWindowsLabelsComeFromTheEnglishTable) {
    std::ifstream in(std::string(LVX_SOURCE_DIR) + "/src/resources/english.tsv");
    ASSERT_TRUE(in);
    std::set<std::string> english;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.rfind('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        english.insert(line.substr(tab + 1));
    }
    int labels = 0;
    for (const XmlElement& e : ShippedXml()) {
        for (const auto& [name, value] : e.attrs) {
            if (name.empty() || name[0] != '_') continue;
            ++labels;
            EXPECT_TRUE(english.count(value)) << e.tag << " " << name << "=\"" << value << "\" is not in english.tsv";
            for (unsigned char ch : value) EXPECT_LT(ch, 0x80) << value;
        }
    }
    EXPECT_GE(labels, 20);
}

}  // namespace
}  // namespace lvx::hack
