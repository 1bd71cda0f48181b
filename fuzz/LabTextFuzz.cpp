// Lab texts from anywhere, through the lab tool's parser only (making records needs a game
// root's world): refused with a line inside the text and a message, or a lab whose fields keep
// their limits and whose printed text parses back into the same lab and prints the same.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/lab/LabText.h"

namespace {

void Check(bool holds) {
    if (!holds)
        abort();
}

bool SameOutline(const CLabNodeOutline& a, const CLabNodeOutline& b) {
    if (a.name != b.name || a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.children.size(); ++i) {
        if (!SameOutline(a.children[i], b.children[i]))
            return false;
    }
    return true;
}

bool SameLab(const CLabSource& a, const CLabSource& b) {
    if (a.creator != b.creator || a.title != b.title || a.experiments.size() != b.experiments.size())
        return false;
    for (size_t i = 0; i < a.experiments.size(); ++i) {
        const CLabExperiment& x = a.experiments[i];
        const CLabExperiment& y = b.experiments[i];
        if (x.name != y.name || x.passed != y.passed || x.time != y.time || x.gravity != y.gravity ||
            x.description != y.description || x.level != y.level || !SameOutline(x.outline, y.outline) ||
            x.links.size() != y.links.size())
            return false;
        for (size_t l = 0; l < x.links.size(); ++l) {
            for (int end = 0; end < 2; ++end) {
                const CLabPointRef& p = x.links[l].ends[end];
                const CLabPointRef& q = y.links[l].ends[end];
                if (p.element != q.element || p.tag != q.tag || p.occurrence != q.occurrence)
                    return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    CLabSource lab;
    int line = 0;
    std::string error;
    if (!ParseLabText(text, &lab, &line, &error)) {
        Check(!error.empty() && line >= 1 && line <= lines);
        return 0;
    }
    Check(!lab.creator.empty() && lab.creator.size() <= static_cast<size_t>(kLabCreatorLength));
    Check(lab.title.size() <= static_cast<size_t>(kLabTitleLength));
    for (const CLabExperiment& experiment : lab.experiments) {
        Check(!experiment.name.empty() && experiment.name.size() <= static_cast<size_t>(kLabNameLength));
        Check(experiment.description.size() <= static_cast<size_t>(kLabDescriptionLength));
        Check(experiment.gravity <= 2 && experiment.outline.name == "level");
        for (const CLabLink& link : experiment.links)
            Check(link.ends[0].occurrence >= 1 && link.ends[1].occurrence >= 1 && !link.ends[0].tag.empty());
    }
    const std::string printed = FormatLabText(lab);
    CLabSource again;
    Check(ParseLabText(printed, &again, &line, &error));
    Check(SameLab(lab, again));
    Check(FormatLabText(again) == printed);
    return 0;
}
