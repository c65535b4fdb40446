#include "tests/support/registry_guard.h"

#include <gtest/gtest.h>

#include "tests/support/wine_test_support.h"

namespace testsupport {

KeySnapshot::KeySnapshot(HKEY root, const std::string& path, REGSAM view)
    : root_(root), path_(path), view_(view), restored_(false) {
    existed_ = Save(root_, path_, view_, &tree_);
}

KeySnapshot::~KeySnapshot() {
    if (!restored_) {
        Restore();
    }
}

void KeySnapshot::Restore() {
    restored_ = true;
    testsupport::DeleteKeyTree(root_, path_.c_str(), view_);
    if (existed_) {
        Write(root_, path_, view_, tree_);
    }
}

EmptyUnknownShell::EmptyUnknownShell()
    : machine_(HKEY_CLASSES_ROOT, "Unknown\\shell"),
      user_(HKEY_CURRENT_USER, "Software\\Classes\\Unknown\\shell") {
    testsupport::DeleteKeyTree(HKEY_CLASSES_ROOT, "Unknown\\shell");
    testsupport::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Classes\\Unknown\\shell");
}

std::string KeySnapshot::Describe(HKEY root, const std::string& path, REGSAM view) {
    Tree tree;
    std::string text;
    if (Save(root, path, view, &tree)) {
        Print(tree, path, &text);
    }
    return text;
}

void KeySnapshot::Print(const Tree& tree, const std::string& name, std::string* text) {
    *text += "[" + name + "]\n";
    for (const Value& value : tree.values) {
        char type[16];
        wsprintfA(type, "%lu", value.type);
        *text += "  " + value.name + " (" + type + ") " +
                 std::string(value.data.begin(), value.data.end()) + "\n";
    }
    for (const auto& sub : tree.subkeys) {
        Print(*sub.second, name + "\\" + sub.first, text);
    }
}

bool KeySnapshot::Save(HKEY root, const std::string& path, REGSAM view, Tree* tree) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        DWORD dataSize = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, NULL, &dataSize) != ERROR_SUCCESS) {
            break;
        }
        Value value;
        value.name.assign(name, nameSize);
        value.type = type;
        value.data.resize(dataSize + 2);
        DWORD got = dataSize + 2;
        if (RegQueryValueExA(key, value.name.c_str(), NULL, &value.type, value.data.data(), &got) ==
            ERROR_SUCCESS) {
            value.data.resize(got);
            tree->values.push_back(value);
        }
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) {
            break;
        }
        std::unique_ptr<Tree> child(new Tree);
        if (Save(root, path + "\\" + name, view, child.get())) {
            tree->subkeys.emplace_back(std::string(name, nameSize), std::move(child));
        }
    }
    RegCloseKey(key);
    return true;
}

void KeySnapshot::Write(HKEY root, const std::string& path, REGSAM view, const Tree& tree) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | view, NULL, &key, NULL) !=
        ERROR_SUCCESS) {
        return;
    }
    for (const Value& value : tree.values) {
        RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
    RegCloseKey(key);
    for (const auto& sub : tree.subkeys) {
        Write(root, path + "\\" + sub.first, view, *sub.second);
    }
}

ScopedDeniedKey::ScopedDeniedKey(HKEY root, const std::string& path)
    : root_(root), path_(path), applied_(false) {
    HKEY key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, NULL, &size);
    saved_.resize(size);
    if (size == 0 ||
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) {
        saved_.clear();
    }

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = NULL;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    std::vector<BYTE> aclBuffer(256);
    PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
    InitializeAcl(acl, static_cast<DWORD>(aclBuffer.size()), ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | WRITE_DAC, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
    FreeSid(everyone);

    HKEY probe;
    LONG open = RegOpenKeyExA(root_, path_.c_str(), 0, KEY_ALL_ACCESS, &probe);
    if (open == ERROR_SUCCESS) {
        RegCloseKey(probe);
    }
    applied_ = set == ERROR_SUCCESS && open == ERROR_ACCESS_DENIED;
}

ScopedDeniedKey::~ScopedDeniedKey() {
    HKEY key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS) {
        return;
    }
    if (!saved_.empty()) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_.data());
    } else { // no DACL could be read: give the key a null DACL (full access)
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, NULL, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    }
    RegCloseKey(key);
}

bool ReadRawWide(HKEY root, const char* path, const char* value, DWORD* type, std::wstring* data) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring name;
    for (const char* p = value; p && *p; ++p) {
        name += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    const wchar_t* valueName = value ? name.c_str() : NULL;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, valueName, NULL, type, NULL, &size);
    if (result == ERROR_SUCCESS) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
        result = RegQueryValueExW(key, valueName, NULL, type,
                                  reinterpret_cast<BYTE*>(buffer.data()), &size);
        data->assign(buffer.data(), size / sizeof(wchar_t));
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::wstring WithoutAddedTerminator(std::wstring data) {
    if (!data.empty() && data.back() == L'\0') {
        data.pop_back();
    }
    return data;
}

namespace {

const char kImageOptions32[] =
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";

} // namespace

SeparateImageOptionsViews::SeparateImageOptionsViews() {
    HKEY link;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kImageOptions32, REG_OPTION_OPEN_LINK,
                      KEY_QUERY_VALUE | DELETE | KEY_WOW64_64KEY, &link) == ERROR_SUCCESS) {
        DWORD type = 0;
        if (RegQueryValueExW(link, L"SymbolicLinkValue", NULL, &type,
                             reinterpret_cast<BYTE*>(target_), &targetSize_) != ERROR_SUCCESS ||
            type != REG_LINK) {
            targetSize_ = 0;
        }
        typedef LONG(WINAPI * DeleteKeyFunction)(HANDLE);
        DeleteKeyFunction deleteKey = reinterpret_cast<DeleteKeyFunction>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        unlinked_ = targetSize_ != 0 && deleteKey && deleteKey(link) == 0;
        RegCloseKey(link);
    }
    HKEY key;
    bool own = unlinked_ &&
               RegCreateKeyExA(HKEY_LOCAL_MACHINE, kImageOptions32, 0, NULL, 0,
                               KEY_ALL_ACCESS | KEY_WOW64_64KEY, NULL, &key, NULL) == ERROR_SUCCESS;
    if (own) {
        RegCloseKey(key);
    }
    EXPECT_TRUE(own) << "the 32-bit view gets a key of its own";
}

SeparateImageOptionsViews::~SeparateImageOptionsViews() {
    if (!unlinked_) { // else the path still leads into the 64-bit key
        return;
    }
    testsupport::DeleteKeyTree(HKEY_LOCAL_MACHINE, kImageOptions32, KEY_WOW64_64KEY);
    HKEY link;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kImageOptions32, 0, NULL, REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, NULL, &link, NULL) == ERROR_SUCCESS) {
        RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                       reinterpret_cast<const BYTE*>(target_), targetSize_);
        RegCloseKey(link);
    }
}

} // namespace testsupport
