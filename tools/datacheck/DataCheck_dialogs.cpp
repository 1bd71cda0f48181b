// The dialog scripts: a first block for the dialog, block names used once, child classes from
// the window classes, and the children each dialog looks for by ID, each of its class. Every
// name shown is asked of the string table.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "engine/core/ValueScriptEntry.h"
#include "tools/datacheck/DataCheck_local.h"
#include "tools/datacheck/ValueScriptBlocks.h"

namespace {

// What a dialog or a child without a "Name" is called, as the dialog reads it.
constexpr char kUnnamed[] = "<unnamed>";

// The child's ID as the dialog truncates it; -1 for none, which drops the child.
int ChildID(const CValueScript& block) {
    const CValueScriptEntry* id = block.FindEntry("ID");
    // Also false for NaN, which has no integer value.
    if (!id || !(id->m_fNumber >= 0.0f && id->m_fNumber < 2147483648.0f))
        return -1;
    return static_cast<int>(id->m_fNumber);
}

}  // namespace

void CRootCheck::CheckDialogs() {
    for (const CDialogLookup& dialog : m_lookups.dialogs)
        CheckDialog(dialog);
}

void CRootCheck::CheckDialog(const CDialogLookup& dialog) {
    const std::string path = dialog.file.path;
    CValueScriptBlocks blocks;
    if (!LoadBlocks(dialog.file, &blocks))
        return;
    if (blocks.All().empty()) {
        m_problems.Add({path}, "holds no block: the first block is the dialog, and without it start-up stops");
        return;
    }
    std::set<std::string> blockNames;
    std::map<int, std::string> childClasses;  // the first child of each ID, as the dialog finds it
    for (const auto& block : blocks.All()) {
        const std::string name = block->m_sName.GetText();
        const CDataPlace place{path, 0, name};
        if (!blockNames.insert(name).second)
            m_problems.Add(place, "a second block of this name");
        const char* shown = FindValueText(*block, "Name");
        AskKey(shown ? shown : kUnnamed, path + " [" + name + "]");
        if (block == blocks.All().front())
            continue;
        const char* className = FindValueText(*block, "Class");
        const bool window = className && std::any_of(m_lookups.windowClasses.begin(), m_lookups.windowClasses.end(),
                                                     [className](const char* known) {
                                                         return strcmp(known, className) == 0;
                                                     });
        if (!window) {
            m_problems.Add(place, "Class \"" + std::string(className ? className : "") +
                                      "\" is no window class: the game drops the block");
            continue;
        }
        childClasses.emplace(ChildID(*block), className);
    }
    for (const CDialogChild& child : dialog.children) {
        const auto found = childClasses.find(child.id);
        if (found == childClasses.end())
            m_problems.Add({path}, "no child of ID " + std::to_string(child.id) + ": the dialog looks for it");
        else if (found->second != child.className)
            m_problems.Add({path}, "the child of ID " + std::to_string(child.id) + " is a " + found->second +
                                       ", where the dialog needs a " + child.className);
    }
}
