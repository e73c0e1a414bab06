// PageTargets: the check, after the whole skin is read, of every action word that names an
// element or a page, since a line may name a page or an element that only later lines define.
#ifndef TARVO_PAGE_PAGETARGETS_H
#define TARVO_PAGE_PAGETARGETS_H

class Page;

// After the skin is read: reports every NAVIGATION, select, page or RETURN word of the pages
// that names an empty element slot or a page with nothing on it, and every favourite word that
// names an element without a list (error), at the line that gave it, in the file skinPath. Each
// finding is reported once per line.
void checkPageTargets(const Page* pages, int pageCount, const char* skinPath);

#endif
