// PageTargets: the elements and pages that the pages' action words name, checked once the whole
// skin is read.
#include "page/PageTargets.h"

#include "base/Diagnostics.h"
#include "page/Button.h"
#include "page/Page.h"
#include "page/SkinValues.h"

namespace {

// One page's words at a time; the last finding is kept so that a NAVIGATION line naming the
// same empty slot in several directions reports it once.
class TargetCheck {
public:
    TargetCheck(const Page* allPages, int pageCount, const Page& onPage, const char* skinPath)
        : pages(allPages), count(pageCount), page(onPage), path(skinPath), lastLine(-1),
          lastTarget(0)
    {
    }

    void check(const WString::Array& words, int line)
    {
        if (words.count() != 2)
            return;
        const int target = skinNumber(words[1]);
        if (line == lastLine && target == lastTarget)
            return;
        const SourcePlace place(path, line);
        if (words[0] == "favourite") {
            if (target < 0 || target >= Page::BUTTON_COUNT || !page.buttons[target] ||
                !(page.buttons[target]->type == "selector"))
                diagnoseAt(place, DIAGNOSTIC_ERROR,
                           "element %d of this page has no list: adding it to the favourites "
                           "does nothing",
                           target);
            else
                return;
        } else if (words[0] == "select") {
            if (target < 0 || target >= Page::BUTTON_COUNT)
                diagnoseAt(place, DIAGNOSTIC_ERROR,
                           "%d is not an element (elements are 0 to %d): the move to it does "
                           "nothing",
                           target, Page::BUTTON_COUNT - 1);
            else if (!page.buttons[target])
                diagnoseAt(place, DIAGNOSTIC_ERROR,
                           "there is no element %d on this page: the move to it does nothing",
                           target);
            else
                return;
        } else if (words[0] == "page") {
            if (target < 0 || target >= count)
                diagnoseAt(place, DIAGNOSTIC_ERROR,
                           "%d is not a page (pages are 0 to %d): the action is ignored", target,
                           count - 1);
            else if (!pages[target].hasContent())
                diagnoseAt(place, DIAGNOSTIC_ERROR,
                           "page %d has nothing on it: the action is ignored", target);
            else
                return;
        } else {
            return;
        }
        lastLine = line;
        lastTarget = target;
    }

private:
    const Page* pages;
    int count;
    const Page& page;
    const char* path;
    int lastLine;
    int lastTarget;
};

} // namespace

void checkPageTargets(const Page* pages, int pageCount, const char* skinPath)
{
    for (int p = 0; p < pageCount; ++p) {
        const Page& page = pages[p];
        TargetCheck targets(pages, pageCount, page, skinPath);
        targets.check(page.returnAction, page.returnLine);
        for (int i = 0; i < Page::BUTTON_COUNT; ++i) {
            const Button* button = page.buttons[i];
            if (!button)
                continue;
            targets.check(button->left, button->leftLine);
            targets.check(button->right, button->rightLine);
            targets.check(button->up, button->upLine);
            targets.check(button->down, button->downLine);
            targets.check(button->action, button->actionLine);
        }
    }
}
