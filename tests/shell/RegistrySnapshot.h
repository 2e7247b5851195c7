// HKEY_CLASSES_ROOT as the tests see it: default values read and written
// directly, and a snapshot that puts back all the file-type tests may change
// (the extensions' and the program's classes, the verbs on the standard
// classes and the all-files verb).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace classes_root {

// The default value of a key; "(no key)" or "(no value)" when absent.
inline std::string Value(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return "(no key)";
    char text[700] = {};
    DWORD size = sizeof text - 1;
    LONG result =
        RegQueryValueExA(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS ? std::string(text) : "(no value)";
}

inline bool KeyExists(const std::string& key) { return Value(key) != "(no key)"; }

inline void SetValue(const std::string& key, const std::string& value) {
    RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                 static_cast<DWORD>(value.size()));
}

inline void DeleteValue(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &handle) == ERROR_SUCCESS)
        RegDeleteValueA(handle, nullptr), RegCloseKey(handle);
}

class RegistrySnapshot {
  public:
    RegistrySnapshot() {
        for (const std::string& e : Extensions())
            extensions_.push_back({e, Value("." + e)});
        for (const char* cls : {"txtfile", "rtffile", "htmlfile", "regfile", "batfile"})
            verbs_.push_back({cls, KeyExists(std::string(cls) + "\\shell\\Korvid")});
    }
    ~RegistrySnapshot() {
        for (const auto& [e, value] : extensions_) {
            if (value == "(no key)")
                RegDeleteTreeA(HKEY_CLASSES_ROOT, ("." + e).c_str());
            else if (value == "(no value)")
                DeleteValue("." + e);
            else
                SetValue("." + e, value);
            RegDeleteTreeA(HKEY_CLASSES_ROOT, ("Korvid." + e + "File").c_str());
        }
        for (const auto& [cls, existed] : verbs_)
            if (!existed)
                RegDeleteTreeA(HKEY_CLASSES_ROOT, (cls + "\\shell\\Korvid").c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "*\\shell\\Open with Korvid");
    }
    static std::vector<std::string> Extensions() {
        return {"txt", "rtf", "diz", "nfo", "htm", "reg",     "bat",
                "asm", "rc",  "h",   "inc", "log", "korvtest"};
    }

  private:
    std::vector<std::pair<std::string, std::string>> extensions_;
    std::vector<std::pair<std::string, bool>> verbs_;
};

} // namespace classes_root
