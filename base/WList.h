// WList, the circular doubly linked list that forms each bucket of a WMap.
#ifndef TARVO_BASE_WLIST_H
#define TARVO_BASE_WLIST_H

#include "base/Check.h"

// Memory rules
// ------------
// A list owns its nodes; each node holds a copy of its element (T) by value. The list is circular
// around a sentinel node that the constructor allocates: the first element is the sentinel's next,
// the last its prev, and an empty list's sentinel points to itself. The sentinel's element is
// default-constructed and never read. Nodes are allocated one by one and never move, so a
// reference to an element stays valid until that element is removed. A list is never copied.
//
// TArg is the type in which an element is passed in (T& or a plain value).
template <typename T, typename TArg>
class WList {
public:
    struct Node {
        Node* next;
        Node* prev;
        T element;

        Node() : next(0), prev(0), element() {}
        explicit Node(TArg e) : next(0), prev(0), element(e) {}
    };

    // Walks the list from the first element; remove() takes out the element last returned and
    // keeps the walk going with the element after it.
    class Iterator {
    public:
        explicit Iterator(WList& list) : list_(&list), current_(list.head_) {}

        bool hasNext() const { return current_->next != list_->head_; }

        T& next()
        {
            TARVO_CHECK(current_->next != list_->head_);
            current_ = current_->next;
            return current_->element;
        }

        T remove()
        {
            // Only an element that next() returned can be removed, never the sentinel.
            TARVO_CHECK(current_ != list_->head_);
            Node* removed = current_;
            current_ = current_->prev;
            return list_->removeNode(removed);
        }

    private:
        WList* list_;
        Node* current_;
    };

    WList() : head_(new Node), length_(0)
    {
        head_->next = head_;
        head_->prev = head_;
    }

    virtual ~WList()
    {
        while (head_->next != head_) {
            removeNode(head_->next);
        }
        delete head_;
    }

    int count() const { return length_; }

    void insertBetween(Node* prev, Node* next, TArg element)
    {
        Node* node = new Node(element);
        node->prev = prev;
        node->next = next;
        prev->next = node;
        next->prev = node;
        ++length_;
    }

    // The element appended, so that a caller need not walk to the end to find it.
    T& append(TArg element)
    {
        insertBetween(head_->prev, head_, element);
        return head_->prev->element;
    }

    T removeNode(Node* node)
    {
        TARVO_CHECK(node != head_);
        T element = node->element;
        node->prev->next = node->next;
        node->next->prev = node->prev;
        delete node;
        --length_;
        return element;
    }

private:
    WList(const WList&);
    WList& operator=(const WList&);

    Node* head_;
    int length_;
};

#endif
