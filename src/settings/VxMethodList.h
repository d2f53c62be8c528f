#pragma once
// Method pointers (code and object) and lists of them: the listener registries behind
// idle handlers, posted calls and language-change notifications.
//
//   FIdleHandlers.Add(TVxMethod<>::Bind<&TVxEditor::UpdateControls>(this));
//   for (int i = 0; i < FIdleHandlers.Count(); ++i) FIdleHandlers.Get(i)();
#include <cstddef>
#include <vector>

template <typename... Args>
struct TVxMethod {
    using TCode = void (*)(void* object, Args...);
    TCode Code = nullptr;
    void* Object = nullptr;

    // One thunk per (member, class): two bindings of the same member to the same
    // object compare equal, which Remove relies on.
    template <auto Member, typename T>
    static TVxMethod Bind(T* object)
    {
        return TVxMethod{[](void* o, Args... args) { (static_cast<T*>(o)->*Member)(args...); }, object};
    }

    explicit operator bool() const { return Code != nullptr; }
    void operator()(Args... args) const
    {
        if (Code)
            Code(Object, args...);
    }
    friend bool operator==(const TVxMethod& a, const TVxMethod& b) { return a.Code == b.Code && a.Object == b.Object; }
};

template <typename... Args>
class TVxMethodList {
public:
    using TMethod = TVxMethod<Args...>;

    int Add(const TMethod& method)
    {
        FItems.push_back(method);
        return static_cast<int>(FItems.size()) - 1;
    }
    TMethod Get(int index) const { return FItems[static_cast<std::size_t>(index)]; }
    int Count() const { return static_cast<int>(FItems.size()); }
    void Delete(int index) { FItems.erase(FItems.begin() + index); }
    void Clear() { FItems.clear(); }

    // Scans from the last entry, so the most recent registration goes first.
    int Remove(const TMethod& method)
    {
        for (int i = Count() - 1; i >= 0; --i) {
            if (FItems[static_cast<std::size_t>(i)] == method) {
                Delete(i);
                return i;
            }
        }
        return -1;
    }

private:
    std::vector<TMethod> FItems;
};
