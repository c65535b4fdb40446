// The launcher's text logic on its own: how a command line becomes arguments,
// how the joined arguments are cut back into paths, where a path lies, and the
// parameter string the editor gets.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "launcher/command_line.h"
#include "launcher/path_text.h"
#include "tests/launcher/text_predicates.h"

namespace {

std::vector<std::string> Split(const std::string& arguments, LeadByteTest lead = SingleByte) {
    std::vector<std::string> result;
    std::vector<char> out(arguments.size() + 1);
    const char* cursor = arguments.c_str();
    size_t length = 0;
    ArgumentRead read;
    while ((read = ReadArgument(&cursor, lead, out.data(), out.size(), &length)) == kArgumentRead) {
        EXPECT_EQ(strlen(out.data()), length);
        result.push_back(out.data());
    }
    EXPECT_EQ(kNoMoreArguments, read);
    return result;
}

typedef std::vector<std::string> Args;

TEST(CommandLineSplit, BlanksAndTabsSeparateOutsideQuotes) {
    EXPECT_EQ(Args({"a", "b", "c"}), Split("  a \t b\t\tc  "));
    EXPECT_EQ(Args({"C:\\My Documents\\a.txt"}), Split("\"C:\\My Documents\\a.txt\""));
    EXPECT_EQ(Args({"ab cd"}), Split("a\"b c\"d"));
    EXPECT_EQ(Args(), Split(" \t "));
}

TEST(CommandLineSplit, QuotesAndBackslashesFollowTheRuntimeRules) {
    EXPECT_EQ(Args({"a\"b"}), Split("\"a\"\"b\""));     // "" inside quotes: literal, closes
    EXPECT_EQ(Args({"\\x"}), Split("\\\\\"x"));         // \\" : one backslash, quote opens
    EXPECT_EQ(Args({"\"x"}), Split("\\\"x"));           // \"  : literal quote
    EXPECT_EQ(Args({"\\\"x"}), Split("\\\\\\\"x"));     // \\\" : backslash and literal quote
    EXPECT_EQ(Args({"a\\\\b"}), Split("a\\\\b"));       // backslashes alone stay as they are
    EXPECT_EQ(Args({"C:\\dir\\"}), Split("C:\\dir\\")); // a trailing one too
    EXPECT_EQ(Args({"a\\b c"}), Split("a\\\\\"b c\""));
    EXPECT_EQ(Args({"", "x", ""}), Split("\"\" x \"\""));
    EXPECT_EQ(Args({"\""}), Split("\"\"\""));
    EXPECT_EQ(Args({"a b\"c", "d"}), Split("\"a b\"\"c d"));
    EXPECT_EQ(Args({"a b\"c d"}), Split("\"a b\"\"c\" d")); // the last quote reopens
}

TEST(CommandLineSplit, ASecondByteOfShiftJisIsNoBackslash) {
    // 表 is 0x95 0x5C: in code page 932 the quote after it closes the section;
    // in 1252 the same 0x5C is a backslash that makes the quote literal.
    const std::string text = "\"C:\\\x95\\\" b";
    EXPECT_EQ(Args({"C:\\\x95\\", "b"}), Split(text, ShiftJisLead));
    EXPECT_EQ(Args({"C:\\\x95\" b"}), Split(text, SingleByte));
    // A lead byte at the very end is kept alone.
    EXPECT_EQ(Args({"a\x95"}), Split("a\x95", ShiftJisLead));
}

TEST(CommandLineSplit, TheProgramNameEndsAtItsClosingQuoteOrFirstBlank) {
    EXPECT_STREQ("a b", SkipProgramName("\"C:\\Program Files\\notepad.exe\"  a b", SingleByte));
    EXPECT_STREQ("a", SkipProgramName("notepad.exe\ta", SingleByte));
    EXPECT_STREQ("", SkipProgramName("notepad.exe", SingleByte));
    EXPECT_STREQ("x", SkipProgramName("\"C:\\dir\\\"x", SingleByte)); // no escapes in the name
    EXPECT_STREQ("x", SkipProgramName("\"C:\\\x95\\\" x", ShiftJisLead));
}

TEST(CommandLineSplit, AnArgumentThatDoesNotFitIsReportedNotCut) {
    char out[4];
    memset(out, 'z', sizeof out);
    const char* cursor = "abcd";
    size_t length = 0;
    EXPECT_EQ(kArgumentTooLong, ReadArgument(&cursor, SingleByte, out, 3, &length));
    EXPECT_EQ('z', out[3]);
}

struct Scan {
    ArgumentScanResult result;
    std::string joined;
    bool print;
};

Scan ScanLine(const std::string& arguments) {
    std::vector<char> joined(arguments.size() + 1), scratch(arguments.size() + 1);
    Scan scan;
    scan.result = ScanArguments(arguments.c_str(), SingleByte, AsciiSwitch, joined.data(),
                                scratch.data(), joined.size(), &scan.print);
    scan.joined = joined.data();
    return scan;
}

TEST(ArgumentScan, FileArgumentsAreJoinedWithTheBlanksTypedBeforeThem) {
    Scan s = ScanLine("C:\\My \t  Documents\\a.txt  ");
    EXPECT_EQ(kLaunch, s.result);
    EXPECT_EQ("C:\\My \t  Documents\\a.txt", s.joined);
    EXPECT_FALSE(s.print);
    EXPECT_EQ("C:\\a b.txt  D:\\c.txt", ScanLine("\"C:\\a b.txt\"  D:\\c.txt").joined);
    EXPECT_EQ("a  b", ScanLine("/p a /a  b").joined) << "the blanks right before the file";
    EXPECT_EQ("", ScanLine("").joined);
}

TEST(ArgumentScan, NotepadsOtherSwitchesNeverBecomeFileText) {
    // A debugger registration runs "<us> /z <the Notepad it stands in for> <its arguments>".
    Scan s = ScanLine("/Z C:\\Windows\\notepad.exe C:\\a.txt");
    EXPECT_EQ("C:\\a.txt", s.joined);
    EXPECT_FALSE(s.print);
    EXPECT_EQ("a.txt", ScanLine("/z \"C:\\Program Files\\NOTEPAD\" a.txt").joined);
    // Anything else after /z is kept, as a caller passing only its file reaches it.
    EXPECT_EQ("C:\\c d.txt", ScanLine("/z C:\\c d.txt").joined);
    EXPECT_EQ("C:\\notepad.exe.txt", ScanLine("/z C:\\notepad.exe.txt").joined);
    EXPECT_EQ(kRunSettings, ScanLine("/z /setting").result);
    // The shell's "print to" verb: the file, then printer, driver and port.
    s = ScanLine("/pt \"C:\\a b.txt\" \"HP LaserJet\" winspool Ne01: D:\\c.txt");
    EXPECT_TRUE(s.print);
    EXPECT_EQ("C:\\a b.txt D:\\c.txt", s.joined);
    EXPECT_EQ("", ScanLine("/PT").joined);
    EXPECT_EQ("/setting", ScanLine("/pt /setting x").joined) << "the file of /pt is a file";
    EXPECT_EQ("C:\\a.txt", ScanLine("/A /w C:\\a.txt /.SETUP").joined);
}

TEST(ArgumentScan, ReportsBuffersTooSmallInsteadOfCutting) {
    const char* arguments = "abc def";
    char joined[5], scratch[5];
    bool print = false;
    EXPECT_EQ(kArgumentsTooLong, ScanArguments(arguments, SingleByte, AsciiSwitch, joined, scratch,
                                               sizeof joined, &print));
}

struct Recorder {
    std::set<std::string> files;
    std::vector<std::string> checked;
};

bool RecordedExists(const char* path, void* context) {
    Recorder* r = static_cast<Recorder*>(context);
    r->checked.push_back(path);
    return r->files.count(path) > 0;
}

// The paths of `arguments`, the last first as they are started.
Args Launched(const std::string& arguments, std::set<std::string> files,
              LeadByteTest lead = SingleByte, Recorder* r = nullptr) {
    Recorder own;
    if (!r) {
        r = &own;
    }
    r->files = files;
    CFilePaths paths;
    bool print = false;
    EXPECT_EQ(kLaunch, ReadFilePaths(arguments.c_str(), lead, AsciiSwitch, RecordedExists, r,
                                     &paths, &print));
    Args launched;
    for (size_t i = paths.Count(); i > 0; --i) {
        launched.push_back(paths.Get(i - 1));
    }
    return launched;
}

TEST(DriveSplit, EachColonIsTriedFromTheEndAndExistingPathsStartLastFirst) {
    Recorder missing;
    EXPECT_EQ(Args({"C:\\a.txt D:\\missing.txt"}),
              Launched("C:\\a.txt D:\\missing.txt", {"C:\\a.txt"}, SingleByte, &missing));
    EXPECT_EQ(Args({"D:\\missing.txt", "C:\\a.txt D:\\missing.txt"}), missing.checked);
    EXPECT_EQ(Args({"D:\\b.txt", "C:\\a.txt"}),
              Launched("C:\\a.txt  D:\\b.txt", {"C:\\a.txt", "D:\\b.txt"}));
    EXPECT_EQ(Args({"C:\\a  b.txt"}), Launched("C:\\a  b.txt", {"C:\\a  b.txt"}));
    EXPECT_EQ(Args({""}), Launched("", {}));
}

TEST(DriveSplit, TheCharacterBeforeAPathIsDroppedWithIt) {
    // Whatever stands before the drive letter is taken as the separator.
    EXPECT_EQ(Args({"C:\\a.txt", ""}), Launched("xC:\\a.txt", {"C:\\a.txt"}));
    EXPECT_EQ(Args({"C:\\a.txt", "ab"}), Launched("ab_C:\\a.txt", {"C:\\a.txt"}));
}

TEST(DriveSplit, ASecondByteBeforeAColonIsNoDriveLetter) {
    // イ is 0x83 0x43: its second byte reads as "C" in a single-byte code page.
    const std::string text = "x \x83\x43:\\a.txt";
    Recorder sjis;
    EXPECT_EQ(Args({text}), Launched(text, {"C:\\a.txt"}, ShiftJisLead, &sjis));
    EXPECT_TRUE(sjis.checked.empty());
    EXPECT_EQ(Args({"C:\\a.txt", "x "}), Launched(text, {"C:\\a.txt"}, SingleByte));
}

TEST(DriveSplit, ADevicePrefixIsPartOfItsPath) {
    EXPECT_EQ(Args({"\\\\?\\C:\\a.txt"}), Launched("\\\\?\\C:\\a.txt", {"C:\\a.txt"}));
    EXPECT_EQ(Args({"\\\\.\\D:\\b.txt", "C:\\a.txt"}),
              Launched("C:\\a.txt \\\\.\\D:\\b.txt", {"C:\\a.txt", "D:\\b.txt"}));
    // 表 is 0x95 0x5C: its second byte begins no prefix.
    const std::string text = "x\x95\\\\?\\C:\\a.txt";
    EXPECT_EQ(Args({"C:\\a.txt", "x\x95\\\\?"}), Launched(text, {"C:\\a.txt"}, ShiftJisLead));
    EXPECT_EQ(Args({"\\\\?\\C:\\a.txt", "x"}), Launched(text, {"C:\\a.txt"}, SingleByte));
}

bool InFolder(const char* path, const char* folder, LeadByteTest lead = SingleByte) {
    return PathLiesInFolder(path, folder, lead, AsciiSame);
}

TEST(FolderPath, APathLiesInAFolderOnlyBelowItsWholeName) {
    const char* cache = "C:\\Users\\u\\INetCache";
    EXPECT_TRUE(InFolder("C:\\Users\\u\\INetCache\\a.txt", cache));
    EXPECT_TRUE(InFolder("c:\\users\\U\\inetcache\\IE\\X1\\a[1].htm", cache));
    EXPECT_TRUE(InFolder("C:\\Users\\u\\INetCache/a.txt", cache));
    EXPECT_TRUE(InFolder("C:\\Users\\u\\INetCache\\a.txt", "C:\\Users\\u\\INetCache\\"));
    EXPECT_TRUE(InFolder("C:\\a.txt", "C:\\"));
    EXPECT_FALSE(InFolder("C:\\Users\\u\\INetCacheOld\\a.txt", cache));
    EXPECT_FALSE(InFolder("C:\\Users\\u\\INetCache", cache));
    EXPECT_FALSE(InFolder("C:\\Users\\u\\INetCache\\", cache));
    EXPECT_FALSE(InFolder("C:\\Users\\u\\INet", cache));
    EXPECT_FALSE(InFolder("D:\\Users\\u\\INetCache\\a.txt", cache));
}

TEST(FolderPath, NothingLiesInAnEmptyFolderPath) {
    EXPECT_FALSE(InFolder("C:\\a.txt", ""));
    EXPECT_FALSE(InFolder("", ""));
    EXPECT_FALSE(InFolder("\\a.txt", ""));
}

TEST(FolderPath, ASecondByteOfShiftJisIsNoSeparator) {
    // 表 is 0x95 0x5C.
    EXPECT_TRUE(InFolder("C:\\\x95\\\\a.txt", "C:\\\x95\\", ShiftJisLead));
    EXPECT_FALSE(InFolder("C:\\\x95\\a.txt", "C:\\\x95", ShiftJisLead));
    EXPECT_TRUE(InFolder("C:\\\x95\\a.txt", "C:\\\x95", SingleByte));
}

TEST(FolderPath, EntriesOfOneFolder) {
    EXPECT_TRUE(InSameFolder("C:\\cache\\a.txt", "C:\\CACHE\\a.txt.htm", SingleByte, AsciiSame));
    EXPECT_FALSE(InSameFolder("C:\\cache\\a.txt", "C:\\Windows\\a.htm", SingleByte, AsciiSame));
    EXPECT_FALSE(
        InSameFolder("C:\\cache\\a.txt", "C:\\cache\\a.txt\\x.htm", SingleByte, AsciiSame));
    EXPECT_FALSE(InSameFolder("a.txt", "a.txt.htm", SingleByte, AsciiSame));
}

TEST(EditorParams, AParameterStringThatDoesNotFitIsRefused) {
    std::string path(300, 'a');
    std::vector<char> out(EditorParamsSize(2, path.size()), 'z');
    EXPECT_TRUE(FormatEditorParams(out.data(), out.size(), "/p", path.c_str(), SingleByte));
    EXPECT_EQ("/p \"" + path + "\"", std::string(out.data()));
    EXPECT_FALSE(FormatEditorParams(out.data(), out.size() - 1, "/p", path.c_str(), SingleByte));
    EXPECT_STREQ("", out.data());
    // An editor's own switches stand where "/p" stood.
    out.assign(EditorParamsSize(6, 3), 'z');
    EXPECT_TRUE(FormatEditorParams(out.data(), out.size(), "--wait", "a b", SingleByte));
    EXPECT_STREQ("--wait \"a b\"", out.data());
    EXPECT_TRUE(FormatEditorParams(out.data(), out.size(), "", "", SingleByte));
    EXPECT_STREQ("", out.data());
}

std::string Params(const char* path, LeadByteTest lead) {
    std::vector<char> out(EditorParamsSize(0, QuotedPathLength(path, lead)));
    EXPECT_TRUE(FormatEditorParams(out.data(), out.size(), "", path, lead));
    EXPECT_EQ(out.size(), strlen(out.data()) + 1);
    return out.data();
}

TEST(EditorParams, APathEndingInBackslashesIsReadBackWhole) {
    EXPECT_EQ("\"C:\\tmp\\\\\"", Params("C:\\tmp\\", SingleByte));
    EXPECT_EQ("\"\\\\s\\\\\\\\\"", Params("\\\\s\\\\", SingleByte));
    EXPECT_EQ(Args({"C:\\tmp\\"}), Split(Params("C:\\tmp\\", SingleByte)));
    // 表 is 0x95 0x5C: its second byte is no backslash to double.
    EXPECT_EQ("\"C:\\\x95\\\"", Params("C:\\\x95\\", ShiftJisLead));
    EXPECT_EQ("\"C:\\\x95\\\\\"", Params("C:\\\x95\\", SingleByte));
}

TEST(EditorParams, EditorStartsMustFitInOneCommandLine) {
    // "<editor>" /p "<text><suffix>" is 32766 characters at most.
    EXPECT_TRUE(EditorStartsFit(100, 2, 32766 - 100 - 8, 0));
    EXPECT_FALSE(EditorStartsFit(100, 2, 32766 - 100 - 8 + 1, 0));
    EXPECT_TRUE(EditorStartsFit(100, 0, 32766 - 100 - 5, 0));
    EXPECT_TRUE(EditorStartsFit(100, 0, 32766 - 100 - 5 - 4, 4));
    EXPECT_FALSE(EditorStartsFit(100, 0, 32766 - 100 - 5 - 3, 4));
    EXPECT_FALSE(EditorStartsFit(100, 21, 32766 - 100 - 5 - 21, 0));
    EXPECT_FALSE(EditorStartsFit(static_cast<size_t>(-1), 0, 1, 0));
}

TEST(SearchFolders, OnlyAbsoluteFoldersAreKeptAndNothingWhenTheyDoNotFit) {
    char out[32] = "C:\\app;";
    EXPECT_TRUE(AppendAbsoluteFolders(out, sizeof out, ".;;bin;C:relative;d:/x;\\\\s\\h"));
    EXPECT_STREQ("C:\\app;d:/x;\\\\s\\h;", out);
    EXPECT_FALSE(AppendAbsoluteFolders(out, sizeof out, "C:\\a;C:\\much-too-long"));
    EXPECT_STREQ("C:\\app;d:/x;\\\\s\\h;", out);
}

} // namespace
