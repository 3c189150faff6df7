// The engine's threaded lists: order after links at either end, and the
// head and tail after a record leaves from the front, the middle or the end.
#include "linked_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zemplay {
namespace {

struct Item {
    char name;
    Item* prev;
    Item* next;
};

struct List {
    Item* head = nullptr;
    Item* tail = nullptr;
};

// The names from head to tail, checked against the walk from tail to head.
std::string order(const List& list)
{
    std::string forward, backward;
    for (const Item* i = list.head; i; i = i->next) forward += i->name;
    for (const Item* i = list.tail; i; i = i->prev) backward.insert(backward.begin(), i->name);
    EXPECT_EQ(forward, backward);
    return forward;
}

TEST(LinkedList, LinksAtEitherEnd)
{
    std::vector<Item> items{{'a'}, {'b'}, {'c'}};
    List list;
    linkLast(list.head, list.tail, items[0], &Item::prev, &Item::next);
    linkLast(list.head, list.tail, items[1], &Item::prev, &Item::next);
    EXPECT_EQ(order(list), "ab");
    Item* firstTail = list.tail;
    linkFirst(list.head, items[2], &Item::prev, &Item::next);
    EXPECT_EQ(order(list), "cab");
    EXPECT_EQ(list.tail, firstTail);
}

TEST(LinkedList, UnlinkKeepsHeadAndTail)
{
    struct Case {
        size_t removed;
        const char* left;
    };
    const Case cases[] = {{0, "bc"}, {1, "ac"}, {2, "ab"}};
    for (const Case& k : cases) {
        std::vector<Item> items{{'a'}, {'b'}, {'c'}};
        List list;
        for (Item& i : items) linkLast(list.head, list.tail, i, &Item::prev, &Item::next);
        unlinkItem(list.head, items[k.removed], &Item::prev, &Item::next, &list.tail);
        EXPECT_EQ(order(list), k.left) << "removed " << k.removed;
        EXPECT_EQ(items[k.removed].prev, nullptr);
        EXPECT_EQ(items[k.removed].next, nullptr);
    }
}

TEST(LinkedList, UnlinkingTheOnlyItemEmptiesTheList)
{
    Item only{'a'};
    List list;
    linkFirst(list.head, only, &Item::prev, &Item::next);
    list.tail = &only;
    unlinkItem(list.head, only, &Item::prev, &Item::next, &list.tail);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
}

TEST(LinkedList, ListWithoutTailLeavesFromTheEnd)
{
    std::vector<Item> items{{'a'}, {'b'}};
    Item* head = nullptr;
    for (Item& i : items) linkFirst(head, i, &Item::prev, &Item::next);
    unlinkItem(head, items[0], &Item::prev, &Item::next);
    ASSERT_EQ(head, &items[1]);
    EXPECT_EQ(head->next, nullptr);
    EXPECT_EQ(head->prev, nullptr);
}

} // namespace
} // namespace zemplay
