// Reading and writing value-script files, plain or enciphered with the value-script key.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/ScriptCipher.h"
#include "engine/core/ValueScript.h"

char ValueScriptKey[17] = "";

void SetValueScriptKey(const char* key) {
    if (!key)
        return;
    const size_t length = strlen(key);
    if (length % 2 != 0 || length > 16)
        return;
    memcpy(ValueScriptKey, key, length + 1);
}

namespace {

enum class ETextSource {
    kPlain,
    kEnciphered,
    // An enciphered file that does not decipher with the current key: reads as empty, and
    // must never be overwritten.
    kUndecipherable,
    // A file that cannot be read, or that was missing and could not be created: reads as
    // empty, and is never written.
    kUnavailable,
};

// The whole file; false when it exists but cannot be read.
bool ReadFileBytes(FILE* file, std::vector<uint8_t>* bytes) {
    uint8_t chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    return !ferror(file);
}

// The header counts only before the first zero byte.
bool ContainsHeader(const std::vector<uint8_t>& bytes) {
    if (bytes.empty())
        return false;
    const char* text = reinterpret_cast<const char*>(bytes.data());
    const size_t length = strnlen(text, bytes.size());
    const size_t headerLength = strlen(CValueScript::kHeader);
    return memmem(text, length, CValueScript::kHeader, headerLength) != nullptr;
}

void SetText(CDynString* text, const uint8_t* bytes, size_t size) {
    const size_t length = size ? strnlen(reinterpret_cast<const char*>(bytes), size) : 0;
    if (length == 0)
        text->Empty();
    else
        text->Assign(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(length));
}

// Creates a missing file holding only the header; never touches a file that exists.
bool CreateMissingFile(const char* path) {
    FILE* file = fopen(path, "wbx");
    if (!file)
        return false;
    const size_t size = strlen(CValueScript::kNewFileText);
    const bool written = fwrite(CValueScript::kNewFileText, 1, size, file) == size;
    if (fclose(file) != 0 || !written) {
        remove(path);
        return false;
    }
    return true;
}

// 0 only when an enciphered file holds no more than the key.
int ReadScriptText(const char* path, CDynString* text, ETextSource* source) {
    text->Empty();
    *source = ETextSource::kUnavailable;
    if (!path)
        return 1;
    FILE* file = fopen(path, "rb");
    if (!file) {
        if (errno == ENOENT && CreateMissingFile(path)) {
            *text = CValueScript::kNewFileText;
            *source = ETextSource::kPlain;
        }
        return 1;
    }
    std::vector<uint8_t> bytes;
    const bool read = ReadFileBytes(file, &bytes);
    fclose(file);
    if (!read)
        return 1;

    if (bytes.empty() || ContainsHeader(bytes)) {
        SetText(text, bytes.data(), bytes.size());
        *source = ETextSource::kPlain;
        return 1;
    }
    *source = ETextSource::kEnciphered;
    const int keyLength = static_cast<int>(strlen(ValueScriptKey));
    if (bytes.size() > static_cast<size_t>(INT32_MAX) || static_cast<int>(bytes.size()) <= keyLength)
        return 0;
    std::vector<uint8_t> plain(bytes.size() - static_cast<size_t>(keyLength));
    CScriptCipher cipher;
    const int plainLength = cipher.Transform(CScriptCipher::kDecipher, bytes.data(),
                                             static_cast<int>(bytes.size()), plain.data(),
                                             ValueScriptKey, keyLength);
    if (plainLength < 0) {
        *source = ETextSource::kUndecipherable;
        return 1;
    }
    SetText(text, plain.data(), plain.size());
    return 1;
}

}  // namespace

int CValueScript::ReadBlockText(const char* path, CDynString* text) {
    ETextSource source;
    return ReadScriptText(path, text, &source);
}

int CValueScript::IsEnciphered(const char* path) {
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file)
        return 0;
    std::vector<uint8_t> bytes;
    const bool read = ReadFileBytes(file, &bytes);
    fclose(file);
    return read && !bytes.empty() && !ContainsHeader(bytes) ? 1 : 0;
}

int CValueScript::Load(const char* path, const char* name) {
    m_sName = name;
    CDynString text;
    if (!ReadBlockText(path, &text))
        return 0;
    ParseBlock(text.GetText());
    return 1;
}

int CValueScript::LoadAll(const char* path, CPointerList* list) {
    CDynString text;
    if (!ReadBlockText(path, &text))
        return 0;
    ParseAllBlocks(text.GetText(), list);
    return 1;
}

int CValueScript::Save(const char* path) {
    CDynString text;
    ETextSource source;
    if (!ReadScriptText(path, &text, &source))
        return 0;
    if (source == ETextSource::kUndecipherable || source == ETextSource::kUnavailable)
        return 0;
    WriteInto(&text);

    CAtomicFile file;
    if (!file.Open(path))
        return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.GetText());
    const int length = text.GetLength();
    if (source == ETextSource::kEnciphered) {
        CScriptCipher cipher;
        const int keyLength = static_cast<int>(strlen(ValueScriptKey));
        if (!cipher.EncipherAndWrite(bytes, length, ValueScriptKey, keyLength, file.GetStream()))
            return 0;
    } else if (!file.Write(bytes, static_cast<size_t>(length))) {
        return 0;
    }
    return file.Commit();
}
