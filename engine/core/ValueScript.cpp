#include "engine/core/ValueScript.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Numbers set by the program are written with six decimals: 640.000000.
std::string FormatNumber(float value) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    return buffer;
}

// A line end inside a value would split the entry when the block is saved.
std::string WithoutLineEnds(const char* text) {
    std::string value = text ? text : "";
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return value;
}

}  // namespace

CValueScript::CValueScript() : m_pEntries(new CPointerList(1, 1)), m_sName("Err::NoName", 0) {}

CValueScript::~CValueScript() {
    Clear();
    delete m_pEntries;
}

void CValueScript::Clear() {
    for (auto* node = m_pEntries->m_pHead; node; node = node->m_pNext)
        delete static_cast<CValueScriptEntry*>(node->m_data);
    m_pEntries->RemoveAll();
}

CValueScriptEntry* CValueScript::FindEntry(const char* key) const {
    if (!key)
        return nullptr;
    for (auto* node = m_pEntries->m_pHead; node; node = node->m_pNext) {
        auto* entry = static_cast<CValueScriptEntry*>(node->m_data);
        if (strcmp(entry->m_sKey.GetText(), key) == 0)
            return entry;
    }
    return nullptr;
}

CValueScriptEntry* CValueScript::AddEntry(const char* key, const char* value, int bQuoted) {
    auto* entry = new CValueScriptEntry;
    entry->m_sKey = key;
    entry->m_sValue = value;
    entry->m_fNumber = static_cast<float>(atof(entry->m_sValue.GetText()));
    entry->m_bQuoted = bQuoted;
    m_pEntries->Append(entry);
    return entry;
}

float CValueScript::GetFloat(const char* key, float defaultValue) {
    if (const CValueScriptEntry* entry = FindEntry(key))
        return entry->m_fNumber;
    CValueScriptEntry* entry = AddEntry(key, FormatNumber(defaultValue).c_str(), 0);
    entry->m_fNumber = defaultValue;
    return defaultValue;
}

const CDynString& CValueScript::GetString(const char* key, const char* defaultValue) {
    if (const CValueScriptEntry* entry = FindEntry(key))
        return entry->m_sValue;
    return AddEntry(key, WithoutLineEnds(defaultValue).c_str(), 1)->m_sValue;
}

void CValueScript::SetFloat(const char* key, float value) {
    CValueScriptEntry* entry = FindEntry(key);
    if (!entry)
        entry = AddEntry(key, "", 0);
    entry->m_sValue = FormatNumber(value).c_str();
    entry->m_fNumber = value;
}

void CValueScript::SetString(const char* key, const char* text) {
    const std::string value = WithoutLineEnds(text);
    CValueScriptEntry* entry = FindEntry(key);
    if (!entry) {
        AddEntry(key, value.c_str(), 1);
        return;
    }
    entry->m_sValue = value.c_str();
    entry->m_fNumber = static_cast<float>(atof(value.c_str()));
}
