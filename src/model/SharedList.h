#pragma once

#include <algorithm>
#include <atomic>
#include <compare>
#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace korvex {

// A list whose copies share their elements: copying one copies a pointer per
// element, and an element is copied only when it is written through a list
// that shares it. A catalogue state is copied at every change, and most of
// what it holds (tens of thousands of photo entries, encounters, decisions)
// is the same before and after; sharing makes a change cost what it changes.
//
// Reads give the element itself (`const T&`), valid until that element is
// written or taken out through this list. Any non-const access to an element
// (operator[], at, back, a non-const iterator) counts as a write: the
// element is copied first when another list shares it, so writing through
// one copy never shows in another. Read through a const list what is only
// read.
//
// Threads: a list object is like a vector (several threads may read it, one
// may write it while no other uses that object), and copies of it may be
// used on any threads at once, each written by its own. So an element whose
// only holder is the list being written cannot gain another holder meanwhile:
// a new one could come only from a list that holds it. That is what makes
// writing such an element in place sound.
template <class T> class SharedList {
    using Handle = std::shared_ptr<T>;

public:
    using value_type = T;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = T&;
    using const_reference = const T&;

    template <bool Const> class Iterator {
        using List = std::conditional_t<Const, const SharedList, SharedList>;

    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using reference = std::conditional_t<Const, const T&, T&>;
        using pointer = std::conditional_t<Const, const T*, T*>;

        Iterator() = default;
        Iterator(List* list, std::size_t at) : list_(list), at_(at) {}
        // A list's iterator is also its const iterator.
        operator Iterator<true>() const requires(!Const) { return {list_, at_}; }

        // Through a non-const iterator, the element is the list's own from
        // then on (copied first when shared).
        reference operator*() const { return (*list_)[at_]; }
        pointer operator->() const { return &**this; }
        reference operator[](difference_type n) const { return *(*this + n); }

        Iterator& operator++() {
            ++at_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator was = *this;
            ++at_;
            return was;
        }
        Iterator& operator--() {
            --at_;
            return *this;
        }
        Iterator operator--(int) {
            Iterator was = *this;
            --at_;
            return was;
        }
        Iterator& operator+=(difference_type n) {
            at_ = std::size_t(difference_type(at_) + n);
            return *this;
        }
        Iterator& operator-=(difference_type n) { return *this += -n; }
        friend Iterator operator+(Iterator i, difference_type n) { return i += n; }
        friend Iterator operator+(difference_type n, Iterator i) { return i += n; }
        friend Iterator operator-(Iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const Iterator& a, const Iterator& b) {
            return difference_type(a.at_) - difference_type(b.at_);
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.at_ == b.at_; }
        friend auto operator<=>(const Iterator& a, const Iterator& b) { return a.at_ <=> b.at_; }

        std::size_t index() const { return at_; }

    private:
        List* list_ = nullptr;
        std::size_t at_ = 0;
    };
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    SharedList() = default;
    SharedList(std::initializer_list<T> items) { assign(items.begin(), items.end()); }
    explicit SharedList(std::vector<T> items) {
        items_.reserve(items.size());
        for (T& item : items)
            items_.push_back(std::make_shared<T>(std::move(item)));
    }
    template <std::input_iterator It> SharedList(It first, It last) { assign(first, last); }

    template <std::input_iterator It> void assign(It first, It last) {
        items_.clear();
        append(first, last);
    }

    // A copy of every element, for what takes a plain vector: named, never
    // implicit, since what keeps pointers or views into the vector it is
    // given would read a copy gone at the end of the call.
    std::vector<T> toVector() const { return std::vector<T>(begin(), end()); }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    void reserve(std::size_t n) { items_.reserve(n); }
    void clear() { items_.clear(); }

    const T& operator[](std::size_t i) const { return *items_[i]; }
    T& operator[](std::size_t i) { return own(items_[i]); }
    const T& at(std::size_t i) const { return *items_.at(i); }
    T& at(std::size_t i) { return own(items_.at(i)); }
    const T& front() const { return *items_.front(); }
    const T& back() const { return *items_.back(); }
    T& back() { return own(items_.back()); }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, size()}; }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    void push_back(T item) { items_.push_back(std::make_shared<T>(std::move(item))); }
    template <class... Args> T& emplace_back(Args&&... args) {
        return *items_.emplace_back(std::make_shared<T>(std::forward<Args>(args)...));
    }
    template <std::input_iterator It> void append(It first, It last) {
        if constexpr (std::is_base_of_v<std::forward_iterator_tag,
                                        typename std::iterator_traits<It>::iterator_category>)
            items_.reserve(items_.size() + static_cast<std::size_t>(std::distance(first, last)));
        for (; first != last; ++first)
            items_.push_back(std::make_shared<T>(*first));
    }
    // Element `i` of `other`, shared rather than copied.
    void appendShared(const SharedList& other, std::size_t i) { items_.push_back(other.items_[i]); }
    // Every element of `other`, shared rather than copied.
    void appendShared(const SharedList& other) {
        if (&other == this) {
            const std::vector<Handle> same = items_; // a range inserted must not be the target
            items_.insert(items_.end(), same.begin(), same.end());
            return;
        }
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
    }
    void erase(std::size_t i) { items_.erase(items_.begin() + static_cast<difference_type>(i)); }
    // Takes out the elements for which `pred` holds, reading the others
    // without copying them; returns how many went.
    template <class Pred> std::size_t eraseIf(Pred pred) {
        const auto from = std::remove_if(items_.begin(), items_.end(), [&](const Handle& item) {
            return pred(std::as_const(*item));
        });
        const auto gone = static_cast<std::size_t>(items_.end() - from);
        items_.erase(from, items_.end());
        return gone;
    }

    // Whether element `i` is the very element `j` of `other` (not only equal).
    bool sharesElement(std::size_t i, const SharedList& other, std::size_t j) const {
        return items_[i] == other.items_[j];
    }
    // How many leading elements this list and `other` have equal; elements
    // shared are equal without being compared.
    std::size_t commonPrefix(const SharedList& other) const {
        const std::size_t n = std::min(size(), other.size());
        std::size_t i = 0;
        while (i < n && (items_[i] == other.items_[i] || *items_[i] == *other.items_[i]))
            ++i;
        return i;
    }

    friend bool operator==(const SharedList& a, const SharedList& b) {
        return a.size() == b.size() && a.commonPrefix(b) == a.size();
    }
    friend bool operator==(const SharedList& a, const std::vector<T>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    // The element behind `item`, copied first when another list shares it.
    // A count of one cannot grow meanwhile (see Threads above); a count read
    // as more than one may be falling, which costs only a needless copy.
    static T& own(Handle& item) {
        if (item.use_count() != 1)
            item = std::make_shared<T>(std::as_const(*item));
        else
            // The last reads through a list that let go of it, on another
            // thread, happen before this write: the count fell by a release.
            std::atomic_thread_fence(std::memory_order_acquire);
        return *item;
    }

    std::vector<Handle> items_;
};

} // namespace korvex
