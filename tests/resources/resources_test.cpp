// The resources as the built notepad.exe carries them, and LoadTextTemp.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"

using testsupport::NotepadPath;

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct StringCase {
    UINT id;
    const char* utf8;
};

const StringCase kStrings[] = {
    {1, "Quillgate"},
    {3, "http://corvalen.test/"},
    {4, "mailto:info@corvalen.test"},
    {16, "notepa~.exe"},
    {17, "エディタの選択"},
    {18, "編集用"},
    {19, "印刷用"},
    {20, "プログラム (*.exe)|*.exe|すべてのファイル (*.*)|*.*||"},
    {21, "htm"},
    {22, "html"},
    {23, "shtml"},
    {24, "xml"},
    {25, "編集(&E)"},
    {32, "このグループには、項目ごとにヘルプがあります。ダイアログ ボックスの右上の？をクリックし、"
         "目的の項目をクリックしてください。"},
    {33, "起動するエディタにQuillgateを指定しています。\r設定を確認してください。"},
    {34, "エディタが見つかりません。\r設定を確認してください。"},
    {35, "HTMLソースファイル拡張子の変更に失敗しました。"},
    {1003, "Corvalenのホームページを表示します。"},
    {1004, "Corvalenにメールを送信します。"},
    {1010, "編集用のエディタを選択します。"},
    {1011, "編集用のエディタをコモンダイアログから選択します。"},
    {1012, "印刷用のエディタを選択します。"},
    {1013, "印刷用のエディタをコモンダイアログから選択します。"},
    {1014, "IEのソース表示において、拡張子を変更するかどうかを設定します。"},
    {1015, "IEのソース表示において、変更後の拡張子を設定します。"},
    {1016, "未登録ファイルをダブルクリックした際に、メモ帳で開くかどうかを設定します。"},
    {1017, "未登録ファイルを右クリックした際の、メニューを設定します。"},
};

std::wstring Wide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, NULL, 0);
    std::vector<wchar_t> w(n);
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    return std::wstring(w.data());
}

std::string InCodePage(const std::wstring& w, UINT codePage) {
    int n = WideCharToMultiByte(codePage, 0, w.c_str(), -1, NULL, 0, NULL, NULL);
    std::vector<char> a(n);
    WideCharToMultiByte(codePage, 0, w.c_str(), -1, a.data(), n, NULL, NULL);
    return std::string(a.data());
}

std::string InCodePage(const char* utf8, UINT codePage) {
    return InCodePage(Wide(utf8), codePage);
}

// notepad.exe loaded as data, so its own resources are read, not this test's.
class BuiltProgram : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(NotepadPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << NotepadPath();
    }
    void TearDown() override {
        if (module_) {
            FreeLibrary(module_);
        }
    }
    std::string Resource(LPCSTR type, LPCSTR name, WORD language) {
        HRSRC found = FindResourceExA(module_, type, name, language);
        if (!found) {
            return std::string();
        }
        HGLOBAL loaded = LoadResource(module_, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return std::string(data, SizeofResource(module_, found));
    }
    HMODULE module_ = nullptr;
};

TEST_F(BuiltProgram, CarriesEveryStringOfTheTableInJapanese) {
    testsupport::ResourceLanguage japanese(testsupport::kJapanese);
    for (const StringCase& s : kStrings) {
        const WCHAR* text = nullptr;
        int length = LoadStringW(module_, s.id, reinterpret_cast<LPWSTR>(&text), 0);
        EXPECT_EQ(Wide(s.utf8), std::wstring(text, length)) << "string " << s.id;
        EXPECT_FALSE(Resource(RT_STRING, MAKEINTRESOURCEA(s.id / 16 + 1), kJapanese).empty());
    }
}

// Japanese where the code page holds it; elsewhere the English text, which
// every code page holds.
TEST(LoadTextTemp, GivesEachStringWholeInTheAnsiCodePage) {
    const bool japanese = GetACP() == 932;
    testsupport::ResourceLanguage pinned(japanese ? testsupport::kJapanese : testsupport::kEnglish);
    for (const StringCase& s : kStrings) {
        const WCHAR* english = nullptr;
        const int length =
            LoadStringW(GetModuleHandleA(NULL), s.id, reinterpret_cast<LPWSTR>(&english), 0);
        ASSERT_GT(length, 0) << "string " << s.id;
        const std::string expected =
            InCodePage(japanese ? Wide(s.utf8) : std::wstring(english, length), CP_ACP);
        EXPECT_EQ(expected, LoadTextTemp(s.id)) << "string " << s.id;
    }
}

TEST(LoadTextTemp, UnderTheJapaneseCodePageGivesShiftJisBytes) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "ANSI code page is " << GetACP();
    }
    // 編集(&E) in Shift-JIS
    EXPECT_EQ(std::string("\x95\xD2\x8F\x57(&E)"), LoadTextTemp(IDS_DEFAULT_MENU_TEXT));
    std::string help = LoadTextTemp(IDS_GROUP_HELP);
    EXPECT_EQ(InCodePage(kStrings[13].utf8, 932), help);
    // the last sentence is there: ...ください。
    EXPECT_EQ(std::string("\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42"),
              help.substr(help.size() - 10));
}

TEST(LoadTextTemp, KeepsTheSeparatorsOfTheFilterAndTheBreakOfTheMessages) {
    std::string filter = LoadTextTemp(IDS_BROWSE_FILTER);
    EXPECT_EQ("||", filter.substr(filter.size() - 2));
    EXPECT_EQ(5, std::count(filter.begin(), filter.end(), '|'));
    std::string selfMessage = LoadTextTemp(IDS_EDITOR_IS_SELF);
    EXPECT_EQ(1, std::count(selfMessage.begin(), selfMessage.end(), '\r'));
    EXPECT_EQ(std::string::npos, selfMessage.find('\n'));
}

TEST(LoadTextTemp, AMissingStringGivesTheEmptyTextNotThePreviousOne) {
    ASSERT_STRNE("", LoadTextTemp(IDS_GROUP_HELP));
    EXPECT_STREQ("", LoadTextTemp(IDC_EDIT_EDITOR_LABEL));
}

// Extended dialog template, parsed as the dialog manager reads it.
struct ParsedControl {
    DWORD exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring className; // or "#n" for a predefined class atom
    std::wstring text;      // or "#n" for a resource ordinal
};

struct ParsedDialog {
    DWORD exStyle, style;
    short x, y, cx, cy;
    std::wstring caption;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring face;
    std::vector<ParsedControl> controls;
};

class Reader {
public:
    explicit Reader(const std::string& data) : data_(data) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    void Align(size_t n) { pos_ = (pos_ + n - 1) / n * n; }
    void Skip(size_t n) { pos_ += n; }
    std::wstring SzOrOrd(const char* prefix) {
        WORD first = Word();
        if (first == 0xFFFF) {
            return Wide(prefix) + std::to_wstring(Word());
        }
        std::wstring s;
        for (WORD c = first; c != 0; c = Word()) {
            s.push_back(static_cast<wchar_t>(c));
        }
        return s;
    }
    std::wstring Sz() { return SzOrOrd("#"); }

private:
    template <typename T> T Take() {
        T value{};
        if (pos_ + sizeof(T) <= data_.size()) {
            memcpy(&value, data_.data() + pos_, sizeof(T));
        }
        pos_ += sizeof(T);
        return value;
    }
    const std::string& data_;
    size_t pos_ = 0;
};

std::wstring ClassName(const std::wstring& raw);

ParsedDialog ParseDialog(const std::string& data) {
    Reader r(data);
    ParsedDialog d{};
    EXPECT_EQ(1, r.Word());      // dlgVer
    EXPECT_EQ(0xFFFF, r.Word()); // signature of an extended template
    EXPECT_EQ(0u, r.Dword());    // help ID
    d.exStyle = r.Dword();
    d.style = r.Dword();
    WORD count = r.Word();
    d.x = r.Short();
    d.y = r.Short();
    d.cx = r.Short();
    d.cy = r.Short();
    EXPECT_EQ(L"", r.SzOrOrd("#")); // menu
    EXPECT_EQ(L"", r.SzOrOrd("#")); // class
    d.caption = r.Sz();
    d.pointSize = r.Word();
    d.weight = r.Word();
    d.italic = r.Byte();
    d.charset = r.Byte();
    d.face = r.Sz();
    for (WORD i = 0; i < count; ++i) {
        r.Align(4);
        ParsedControl c{};
        EXPECT_EQ(0u, r.Dword()); // help ID
        c.exStyle = r.Dword();
        c.style = r.Dword();
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = r.Dword();
        c.className = ClassName(r.SzOrOrd("#"));
        c.text = r.SzOrOrd("#");
        WORD extra = r.Word();
        r.Skip(extra);
        d.controls.push_back(c);
    }
    return d;
}

struct ExpectedControl {
    DWORD id;
    const wchar_t* className; // predefined class as "#0x0080".. or name
    DWORD styleBits;
    const char* text;
};

const wchar_t kButton[] = L"BUTTON";
const wchar_t kEdit[] = L"EDIT";
const wchar_t kStatic[] = L"STATIC";
const wchar_t kComboBox[] = L"COMBOBOX";

// A template may name a predefined class by its atom or by its name.
std::wstring ClassName(const std::wstring& raw) {
    if (raw == L"#128")
        return kButton;
    if (raw == L"#129")
        return kEdit;
    if (raw == L"#130")
        return kStatic;
    if (raw == L"#133")
        return kComboBox;
    std::wstring upper = raw;
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(towupper(c));
    }
    return upper;
}

void ExpectControls(const ParsedDialog& dialog, const std::vector<ExpectedControl>& expected) {
    ASSERT_EQ(expected.size(), dialog.controls.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ParsedControl& c = dialog.controls[i];
        const ExpectedControl& e = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << e.id);
        EXPECT_EQ(e.id, c.id) << "tab order";
        EXPECT_EQ(std::wstring(e.className), c.className);
        EXPECT_EQ(e.styleBits, c.style & e.styleBits);
        EXPECT_TRUE(c.style & WS_CHILD);
        EXPECT_TRUE(c.style & WS_VISIBLE);
        EXPECT_EQ(static_cast<DWORD>(WS_EX_TRANSPARENT), c.exStyle);
        EXPECT_EQ(Wide(e.text), c.text);
    }
}

void ExpectPageTemplate(const ParsedDialog& d) {
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_CAPTION | DS_SETFONT | DS_FIXEDSYS), d.style);
    EXPECT_EQ(0u, d.exStyle);
    EXPECT_EQ(9, d.pointSize);
    EXPECT_EQ(400, d.weight);
    EXPECT_EQ(0, d.italic);
    EXPECT_EQ(SHIFTJIS_CHARSET, d.charset);
    EXPECT_EQ(L"MS Shell Dlg", d.face);
}

// The controls in their tab order, with the styles and texts the page relies on.
TEST_F(BuiltProgram, AboutDialogHasItsControlsInTabOrder) {
    std::string data = Resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_ABOUT), kJapanese);
    ASSERT_FALSE(data.empty());
    ParsedDialog d = ParseDialog(data);
    ExpectPageTemplate(d);
    EXPECT_EQ(Wide("バージョン情報"), d.caption);
    ExpectControls(d, {
                          {1000, kStatic, SS_ICON, "#101"},
                          {1001, kStatic, SS_LEFT, "Corvalen Quillgate"},
                          {1002, kStatic, SS_CENTER, "Version *.**"},
                          {1003, kStatic, SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_TABSTOP, "http://"},
                          {1004, kStatic, SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_TABSTOP, "mailto:"},
                      });
    EXPECT_EQ(static_cast<DWORD>(SS_ICON), d.controls[0].style & SS_TYPEMASK);
    EXPECT_EQ(static_cast<DWORD>(SS_LEFT), d.controls[1].style & SS_TYPEMASK);
}

TEST_F(BuiltProgram, SettingsDialogHasItsControlsInTabOrder) {
    std::string data = Resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS), kJapanese);
    ASSERT_FALSE(data.empty());
    ParsedDialog d = ParseDialog(data);
    ExpectPageTemplate(d);
    EXPECT_EQ(Wide("設定"), d.caption);
    const DWORD combo = CBS_DROPDOWN | CBS_SORT | WS_VSCROLL;
    // An editor path scrolls in its field: a pasted path is never cut at the width.
    const DWORD pathCombo = combo | CBS_AUTOHSCROLL;
    ExpectControls(d, {
                          {1005, kButton, BS_GROUPBOX, "エディタの選択"},
                          {1008, kStatic, SS_LEFT, "編集用エディタ(&C)"},
                          {1010, kComboBox, pathCombo, ""},
                          {1011, kButton, BS_PUSHBUTTON, "..."},
                          {1009, kStatic, SS_LEFT, "印刷用エディタ(&P)"},
                          {1012, kComboBox, pathCombo, ""},
                          {1013, kButton, BS_PUSHBUTTON, "..."},
                          {1006, kButton, BS_GROUPBOX, "Internet Explorer ソース表示の設定"},
                          {1014, kButton, BS_AUTOCHECKBOX, "ソース表示で任意の拡張子を付ける(&S)"},
                          {1015, kComboBox, combo, ""},
                          {1007, kButton, BS_GROUPBOX, "未登録ファイルの関連付け"},
                          {1016, kButton, BS_AUTOCHECKBOX, "メモ帳に関連付ける(&U)"},
                          {1017, kEdit, ES_AUTOHSCROLL | WS_BORDER, ""},
                          {1030, kStatic, SS_LEFT, ""},
                      });
    for (const ParsedControl& c : d.controls) {
        if (c.className == kComboBox) {
            EXPECT_EQ(c.id != 1015, (c.style & CBS_AUTOHSCROLL) != 0) << c.id;
            EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWN), c.style & 3);
        }
        if (c.className == kButton && c.id != 1011 && c.id != 1013 && c.id != 1014 &&
            c.id != 1016) {
            EXPECT_EQ(static_cast<DWORD>(BS_GROUPBOX), c.style & BS_TYPEMASK);
        }
    }
}

const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

bool PlainAscii(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

size_t Count(const std::wstring& text, const wchar_t* part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Each English page has the Japanese one's controls where they are, in a font
// of its own, with plain texts where the Japanese has texts and each access
// key once.
TEST_F(BuiltProgram, EnglishPagesHaveTheJapaneseLayoutInTheirOwnFont) {
    for (int id : {IDD_ABOUT, IDD_SETTINGS, IDD_STATUS}) {
        SCOPED_TRACE(testing::Message() << "dialog " << id);
        const std::string japaneseData = Resource(RT_DIALOG, MAKEINTRESOURCEA(id), kJapanese);
        const std::string englishData = Resource(RT_DIALOG, MAKEINTRESOURCEA(id), kEnglish);
        ASSERT_FALSE(englishData.empty());
        ParsedDialog japanese = ParseDialog(japaneseData);
        ParsedDialog english = ParseDialog(englishData);
        EXPECT_EQ(japanese.style, english.style);
        EXPECT_EQ(japanese.cx, english.cx);
        EXPECT_EQ(japanese.cy, english.cy);
        EXPECT_EQ(8, english.pointSize);
        EXPECT_EQ(L"MS Shell Dlg", english.face);
        EXPECT_NE(SHIFTJIS_CHARSET, english.charset);
        EXPECT_TRUE(PlainAscii(english.caption) && !english.caption.empty());
        ASSERT_EQ(japanese.controls.size(), english.controls.size());
        std::wstring keys;
        for (size_t i = 0; i < english.controls.size(); ++i) {
            const ParsedControl& j = japanese.controls[i];
            const ParsedControl& e = english.controls[i];
            SCOPED_TRACE(testing::Message() << "control " << j.id);
            EXPECT_EQ(j.id, e.id);
            EXPECT_EQ(j.className, e.className);
            EXPECT_EQ(j.style, e.style);
            EXPECT_EQ(j.exStyle, e.exStyle);
            EXPECT_TRUE(j.x == e.x && j.y == e.y && j.cx == e.cx && j.cy == e.cy);
            EXPECT_EQ(j.text.empty(), e.text.empty());
            EXPECT_TRUE(PlainAscii(e.text));
            EXPECT_EQ(Count(j.text, L"&"), Count(e.text, L"&"));
            const size_t key = e.text.find(L'&');
            if (key != std::wstring::npos && key + 1 < e.text.size()) {
                const wchar_t letter = static_cast<wchar_t>(towlower(e.text[key + 1]));
                EXPECT_EQ(std::wstring::npos, keys.find(letter)) << "access key used twice";
                keys.push_back(letter);
            }
        }
    }
}

// Every string of the Japanese table is there in English too, in plain text,
// with what the code relies on: the filter's separators, the messages' breaks
// and the %s of the library messages, and the breaks and inserts of the lines
// that name an editor. Names and addresses stay as they are.
TEST_F(BuiltProgram, EveryStringHasAnEnglishOneThatKeepsItsSeparatorsAndPlaceholders) {
    auto text = [this](UINT id, LANGID language) {
        testsupport::ResourceLanguage pinned(language);
        const WCHAR* found = nullptr;
        const int length = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&found), 0);
        return std::wstring(found ? found : L"", length > 0 ? length : 0);
    };
    int strings = 0;
    for (UINT id = 0; id < 1100; ++id) {
        const std::wstring japanese = text(id, testsupport::kJapanese);
        const std::wstring english = text(id, testsupport::kEnglish);
        SCOPED_TRACE(testing::Message() << "string " << id);
        EXPECT_EQ(japanese.empty(), english.empty());
        if (english.empty()) {
            continue;
        }
        ++strings;
        EXPECT_TRUE(PlainAscii(english));
        for (const wchar_t* part : {L"|", L"\r", L"%s", L"&", L"%r", L"%1", L"%2"}) {
            EXPECT_EQ(Count(japanese, part), Count(english, part)) << "count of " << part[0];
        }
    }
    EXPECT_GE(strings, static_cast<int>(sizeof kStrings / sizeof kStrings[0]));
    for (UINT id :
         {IDS_CAPTION, IDS_HOME_PAGE_URL, IDS_MAIL_URL, IDS_DEFAULT_EDITOR, IDS_EXTENSION_HTM,
          IDS_EXTENSION_HTML, IDS_EXTENSION_SHTML, IDS_EXTENSION_XML}) {
        EXPECT_EQ(text(id, testsupport::kJapanese), text(id, testsupport::kEnglish)) << id;
    }
}

TEST_F(BuiltProgram, VersionResourceNamesTheProgram) {
    std::string path = NotepadPath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(0x04b00000u, *static_cast<DWORD*>(value));

    auto query = [&](const char* name) {
        std::string key = std::string("\\StringFileInfo\\000004b0\\") + name;
        void* text = nullptr;
        UINT textLength = 0;
        if (!VerQueryValueA(block.data(), key.c_str(), &text, &textLength)) {
            return std::string("<missing>");
        }
        return std::string(static_cast<const char*>(text));
    };
    EXPECT_EQ("Corvalen", query("CompanyName"));
    EXPECT_EQ("Quillgate", query("FileDescription"));
    EXPECT_EQ("Quillgate", query("InternalName"));
    EXPECT_EQ("notepad.exe", query("OriginalFilename"));
    EXPECT_EQ("Corvalen Quillgate", query("ProductName"));
    EXPECT_EQ(QUILLGATE_VERSION_TEXT, query("FileVersion"));
    std::string productVersion = query("ProductVersion");
    EXPECT_EQ(QUILLGATE_VERSION_TEXT, productVersion);
    EXPECT_LE(productVersion.size(), 11u) << "fits the About page's version line";
    EXPECT_NE("<missing>", query("LegalCopyright"));
}

TEST_F(BuiltProgram, ManifestAsksForCommonControlsSixAndUtf8) {
    std::string manifest =
        Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), MAKELANGID(LANG_NEUTRAL, 0));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("processorArchitecture=\"X86\""));
    EXPECT_NE(std::string::npos, manifest.find("publicKeyToken=\"6595b64144ccf1df\""));
    EXPECT_NE(std::string::npos, manifest.find("language=\"*\""));
    // Windows 10 1903 and later run it with UTF-8 as its ANSI code page.
    EXPECT_NE(std::string::npos,
              manifest.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                            "WindowsSettings\">UTF-8</activeCodePage>"));
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(BuiltProgram, IconGroupHoldsNineImages) {
    std::string group =
        Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_QUILLGATE), MAKELANGID(LANG_NEUTRAL, 0));
    ASSERT_GE(group.size(), 6u);
    WORD count = 0;
    memcpy(&count, group.data() + 4, 2);
    ASSERT_EQ(9, count);
    ASSERT_EQ(6u + 9 * sizeof(GroupIconEntry), group.size());
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < count; ++i) {
        GroupIconEntry e;
        memcpy(&e, group.data() + 6 + i * sizeof e, sizeof e);
        seen.emplace_back(e.width, e.bitCount);
        EXPECT_EQ(e.width, e.height);
        EXPECT_FALSE(
            Resource(RT_ICON, MAKEINTRESOURCEA(e.id), MAKELANGID(LANG_NEUTRAL, 0)).empty());
    }
    for (int size : {16, 32, 48}) {
        for (int depth : {4, 8, 32}) {
            EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), std::make_pair(size, depth)))
                << size << " px at " << depth << " bpp";
        }
    }
}

} // namespace

namespace {

// The PE headers and import table of notepad.exe, read from the file.
class ShippedFile : public testing::Test {
protected:
    void SetUp() override {
        image_ = testsupport::ReadFile(NotepadPath());
        ASSERT_GT(image_.size(), 512u) << NotepadPath();
        ASSERT_EQ("MZ", image_.substr(0, 2));
        memcpy(&pe_, image_.data() + 0x3C, 4);
        ASSERT_EQ(std::string("PE\0\0", 4), image_.substr(pe_, 4));
    }
    template <typename T> T At(size_t offset) const {
        T value{};
        if (offset + sizeof(T) <= image_.size()) {
            memcpy(&value, image_.data() + offset, sizeof(T));
        }
        return value;
    }
    // File offset of a relative virtual address, through the section table.
    size_t FileOffset(DWORD rva) const {
        WORD sections = At<WORD>(pe_ + 6);
        WORD optionalSize = At<WORD>(pe_ + 20);
        size_t table = pe_ + 24 + optionalSize;
        for (WORD i = 0; i < sections; ++i) {
            size_t s = table + i * 40;
            DWORD va = At<DWORD>(s + 12), rawSize = At<DWORD>(s + 16), raw = At<DWORD>(s + 20);
            if (rva >= va && rva < va + rawSize) {
                return raw + (rva - va);
            }
        }
        return 0;
    }
    std::string image_;
    DWORD pe_ = 0;
};

TEST_F(ShippedFile, IsA32BitGuiProgram) {
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, At<WORD>(pe_ + 4));
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, At<WORD>(pe_ + 24));
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, At<WORD>(pe_ + 24 + 68));
}

TEST_F(ShippedFile, StaysWithinItsFootprint) {
    EXPECT_LE(image_.size(), 112u * 1024) << "notepad.exe with all its resources";
}

TEST_F(ShippedFile, ImportsSystemLibrariesOnly) {
    DWORD importRva = At<DWORD>(pe_ + 24 + 104); // data directory 1 of a PE32 header
    size_t descriptor = FileOffset(importRva);
    ASSERT_NE(0u, descriptor);
    // Not the common controls nor the common dialogs: only the settings sheet
    // loads those, so that forwarding a file does not.
    const char* system[] = {"KERNEL32.dll", "USER32.dll",  "GDI32.dll",
                            "ADVAPI32.dll", "SHELL32.dll", "SHLWAPI.dll",
                            "VERSION.dll",  "msvcrt.dll",  "ole32.dll"};
    int count = 0;
    for (;; descriptor += 20, ++count) {
        DWORD nameRva = At<DWORD>(descriptor + 12);
        if (nameRva == 0) {
            break;
        }
        std::string name = image_.c_str() + FileOffset(nameRva);
        bool known = false;
        for (const char* s : system) {
            known = known || lstrcmpiA(s, name.c_str()) == 0;
        }
        EXPECT_TRUE(known) << name << " is not a system library";
    }
    EXPECT_GT(count, 0);
}

} // namespace
