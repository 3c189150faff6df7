// Doubly linked lists threaded through their records: each record holds its
// own links (`prev` and `next` name them), a list is known by its head and,
// where one is kept, its tail.
#pragma once

namespace zemplay {

template <typename T> void linkFirst(T*& head, T& item, T* T::*prev, T* T::*next)
{
    item.*prev = nullptr;
    item.*next = head;
    if (head) head->*prev = &item;
    head = &item;
}

template <typename T> void linkLast(T*& head, T*& tail, T& item, T* T::*prev, T* T::*next)
{
    item.*next = nullptr;
    item.*prev = tail;
    if (tail)
        tail->*next = &item;
    else
        head = &item;
    tail = &item;
}

// Takes item out of its list; tail is null for a list that keeps none.
template <typename T> void unlinkItem(T*& head, T& item, T* T::*prev, T* T::*next, T** tail = nullptr)
{
    T* before = item.*prev;
    T* after = item.*next;
    if (before)
        before->*next = after;
    else
        head = after;
    if (after)
        after->*prev = before;
    else if (tail)
        *tail = before;
    item.*prev = item.*next = nullptr;
}

} // namespace zemplay
