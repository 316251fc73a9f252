// A hash map keyed by a 32-bit integer or a pointer, with a fixed array of 1,024 buckets that is
// never resized: the hash is one multiplication and a mask. Nodes also form an insertion-order
// list, which the destructor walks to free them. Values are not owned. The bucket array lives in
// the map itself so that constructing one (as a static) allocates nothing.
#pragma once

#include <cstdint>
#include <type_traits>

#include "GuardedMemory.h"

template <typename V, typename K = uint32_t>
class IntKeyMap : public RuntimeAllocated {
    static_assert(std::is_integral_v<K> || std::is_pointer_v<K>, "keys are integers or pointers");

public:
    static constexpr uint32_t kBucketCount = 1024;

    IntKeyMap() = default;
    IntKeyMap(const IntKeyMap&) = delete;
    IntKeyMap& operator=(const IntKeyMap&) = delete;

    virtual ~IntKeyMap() {
        Node* node = mFirst;
        while (node) {
            Node* next = node->nextInOrder;
            delete node;
            node = next;
        }
    }

    // Replaces the value of an equal key, or adds a node at the head of its bucket.
    void SetEntry(K key, V value) {
        Node*& head = mBuckets[BucketOf(key)];
        for (Node* node = head; node; node = node->nextInBucket) {
            if (node->key == key) {
                node->value = value;
                return;
            }
        }
        Node* node = new Node(head, key, value);
        head = node;
        if (mLast)
            mLast->nextInOrder = node;
        else
            mFirst = node;
        mLast = node;
    }

    bool GetEntry(K key, V& value) const {
        for (const Node* node = mBuckets[BucketOf(key)]; node; node = node->nextInBucket) {
            if (node->key == key) {
                value = node->value;
                return true;
            }
        }
        return false;
    }

    // Pointer keys hash by their low 32 bits; equality still compares the whole key.
    static uint32_t BucketOf(K key) {
        uint32_t bits;
        if constexpr (std::is_pointer_v<K>)
            bits = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key));
        else
            bits = static_cast<uint32_t>(key);
        return (bits * 13u) & (kBucketCount - 1);
    }

private:
    struct Node : RuntimeAllocated {
        Node(Node* bucketNext, K k, V v) : nextInBucket(bucketNext), key(k), value(v) {}
        Node* nextInBucket;
        Node* nextInOrder = nullptr;
        K key;
        V value;
    };

    Node* mBuckets[kBucketCount] = {};
    Node* mFirst = nullptr;
    Node* mLast = nullptr;
};
