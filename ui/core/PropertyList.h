// One object's properties of one value type: a short list of (key, value) nodes, newest first.
#pragma once

#include "ObjectPool.h"
#include "PropertyKey.h"

#include <new>
#include <utility>

// A key occurs at most once. There is no removal: nodes live until the list is destroyed. Lists
// are a handful of entries long, so a linear walk beats any hashing.
template <class T>
class PropertyList {
public:
    PropertyList() = default;
    ~PropertyList() { clear(); }
    PropertyList(const PropertyList&) = delete;
    PropertyList& operator=(const PropertyList&) = delete;

    // The value stored under `key`, or null when the key was never set.
    const T* get(PropertyKey key) const
    {
        for (const Node* node = head_; node; node = node->next) {
            if (node->key == key)
                return &node->value;
        }
        return nullptr;
    }

    // The stored value, or `fallback` when the key was never set: every reader has its own default.
    T value(PropertyKey key, const T& fallback) const
    {
        const T* found = get(key);
        return found ? *found : fallback;
    }

    bool has(PropertyKey key) const { return get(key) != nullptr; }

    // Replaces the value in place when the key exists, else puts a new node at the head.
    void set(PropertyKey key, T value)
    {
        for (Node* node = head_; node; node = node->next) {
            if (node->key == key) {
                node->value = std::move(value);
                return;
            }
        }
        void* cell = ObjectPool::allocateCell(sizeof(Node));
        head_ = new (cell) Node{head_, key, std::move(value)};
        ++count_;
    }

    int count() const { return count_; }

    template <class F>
    void forEach(F&& visit) const
    {
        for (const Node* node = head_; node; node = node->next)
            visit(node->key, node->value);
    }

private:
    struct Node {
        Node* next;
        PropertyKey key;
        T value;
    };

    void clear()
    {
        while (head_) {
            Node* next = head_->next;
            head_->~Node();
            ObjectPool::releaseCell(head_, sizeof(Node));
            head_ = next;
        }
        count_ = 0;
    }

    Node* head_ = nullptr;
    int count_ = 0;
};
