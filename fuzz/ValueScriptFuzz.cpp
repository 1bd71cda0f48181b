// Value-script text from anywhere: every block parsed, read with defaults, set and spliced
// back into the text, which must keep everything in front of the rewritten block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/ValueScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* text = input.c_str();  // the reader stops at the first zero byte, as here

    CPointerList scripts(1, 1);
    CValueScript::ParseAllBlocks(text, &scripts);
    for (auto* node = scripts.m_pHead; node; node = node->m_pNext) {
        auto* script = static_cast<CValueScript*>(node->m_data);
        script->GetFloat("Width", 640.0f);
        script->GetString("AppName", "Game");
        script->SetString("Caption", "[Menu]\r\nx");
        script->SetFloat("BPP", 32.0f);

        CDynString rewritten(text, 0);
        const std::string header = std::string("[") + script->m_sName.GetText() + "]";
        const char* found = strstr(text, header.c_str());
        script->WriteInto(&rewritten);
        if (found && strncmp(rewritten.GetText(), text, static_cast<size_t>(found - text)) != 0)
            abort();

        CValueScript reread;
        reread.m_sName = script->m_sName;
        reread.ParseBlock(rewritten.GetText());
        delete script;
    }

    CValueScript named;
    named.m_sName = "3DInit";
    named.ParseBlock(text);
    CDynString rewritten(text, 0);
    named.WriteInto(&rewritten);
    return 0;
}
