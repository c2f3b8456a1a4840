#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include "settings/odd_lines.h"

namespace lvx {
namespace {

TEST(IniDocument, LookupFollowsTheProfileRules) {
    IniDocument doc(
        "[Other]\nKey=other\n"
        "  [ Section ]  \n"
        "; Key=comment\n"
        "  KEY  =   first value  \n"
        "key=second\n"
        "quoted=\"  a b \"\n"
        "single='x'\n"
        "half=\"x\n"
        "empty=\n"
        "bare\n"
        "[Next]\nlater=1\n");
    EXPECT_EQ(doc.Get("section", "key"), "first value");
    EXPECT_EQ(doc.Get("Other", "key"), "other");
    EXPECT_EQ(doc.Get("Section", "quoted"), "  a b ");
    EXPECT_EQ(doc.Get("Section", "single"), "x");
    EXPECT_EQ(doc.Get("Section", "half"), "\"x");
    EXPECT_EQ(doc.Get("Section", "empty"), "");
    EXPECT_EQ(doc.Get("Section", "bare"), "");
    EXPECT_EQ(doc.Get("Section", "later"), std::nullopt);
    EXPECT_EQ(doc.Get("Missing", "key"), std::nullopt);
}

TEST(IniDocument, DoubleByteNamesAreNeverCaseFolded) {
    // 色 is 90 46 and 90 66 is another character: the trail bytes must not fold.
    IniDocument doc("[Section]\r\n\x90\x66=wrong\r\n\x90\x46=right\r\n");
    EXPECT_EQ(doc.Get("Section", "\x90\x46"), "right");
    EXPECT_EQ(doc.Get("Section", "\x90\x66"), "wrong");
    // 転 (93 5D) ends in the byte of "]": a section name holding it stays whole.
    IniDocument sections("[\x93\x5D]\r\nk=1\r\n");
    EXPECT_EQ(sections.Get("\x93\x5D", "k"), "1");
}

TEST(IniDocument, ReadsOddLinesAsThePlatformDoes) {
    for (const testing::OddLine& r : testing::OddLines()) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(IniDocument(r.file).Get(r.section, r.key), r.value);
    }
}

// A double-byte character whose trail byte is "]" (5D) or "\" (5C): lead
// bytes 81-9F and E0-FC, the ends of both ranges included.
TEST(IniDocument, TrailBytesAreNeverBrackets) {
    for (const char* lead : {"\x81", "\x9F", "\xE0", "\xFA", "\xFB", "\xFC"}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(lead[0])));
        const std::string close = std::string(lead) + "\x5D";
        // "[" and a character ending in 5D is no section line: k stays in Section.
        EXPECT_EQ(IniDocument("[Section]\r\n[" + close + "\r\nk=1\r\n").Get("Section", "k"), "1");
        // A section named by that character.
        EXPECT_EQ(IniDocument("[" + close + "]\r\nk=2\r\n").Get(close, "k"), "2");
        const std::string back = std::string(lead) + "\x5C";
        EXPECT_EQ(IniDocument("[Section]\r\n" + back + "=" + back + "\r\n").Get("Section", back), back);
    }
}

TEST(IniDocument, SetEditsOneLineAndKeepsTheRest) {
    const std::string original = "; c\n[A]\nk=1\n\n[Section]\nKey = old \nz=9\n\n\n[B]\nq=2";
    IniDocument doc(original);
    doc.Set("section", "key", " new");
    EXPECT_EQ(doc.Units(), "; c\n[A]\nk=1\n\n[Section]\nKey= new\nz=9\n\n\n[B]\nq=2");
    doc.Set("Section", "added", "v");
    EXPECT_EQ(doc.Units(), "; c\n[A]\nk=1\n\n[Section]\nKey= new\nz=9\nadded=v\r\n\n\n[B]\nq=2");
    doc.Set("B", "r", "3");
    EXPECT_EQ(doc.Units(), "; c\n[A]\nk=1\n\n[Section]\nKey= new\nz=9\nadded=v\r\n\n\n[B]\nq=2\r\nr=3\r\n");
    doc.Set("C", "s", "4");
    EXPECT_EQ(doc.Get("C", "s"), "4");
    EXPECT_TRUE(doc.Units().ends_with("r=3\r\n[C]\r\ns=4\r\n")) << doc.Units();
}

TEST(IniDocument, SetKeepsTheKeyAsTheFileSpellsIt) {
    using namespace std::string_literals;
    IniDocument doc("[Section]\r\n\tKEY\0old = 1\r\n"s);
    doc.Set("Section", "key", " 2");
    EXPECT_EQ(doc.Units(), "[Section]\r\nKEY= 2\r\n"s);
}

TEST(IniDocument, EmptyDocumentGrowsASection) {
    IniDocument doc;
    doc.Set("Section", "a", " 1");
    doc.Set("Section", "b", "");
    EXPECT_EQ(doc.Units(), "[Section]\r\na= 1\r\nb=\r\n");
}

}  // namespace
}  // namespace lvx
