#pragma once
// Delegates: a control's event source calls every delegate added to it with the event; a delegate
// answering false stops the control's own handling of that event.

#include <memory>
#include <vector>

class CDelegateBase {
public:
    virtual ~CDelegateBase() = default;
    virtual std::unique_ptr<CDelegateBase> Copy() const = 0;
    virtual bool Invoke(void* param) = 0;
};

template <typename Object>
class CDelegate : public CDelegateBase {
public:
    using Method = bool (Object::*)(void*);
    CDelegate(Object* object, Method method) : object_(object), method_(method) {}
    std::unique_ptr<CDelegateBase> Copy() const override {
        return std::make_unique<CDelegate>(object_, method_);
    }
    bool Invoke(void* param) override { return (object_->*method_)(param); }

private:
    Object* object_;
    Method method_;
};

template <typename Object>
CDelegate<Object> MakeDelegate(Object* object, bool (Object::*method)(void*)) {
    return CDelegate<Object>(object, method);
}

class CEventSource {
public:
    void operator+=(const CDelegateBase& delegate) { delegates_.push_back(delegate.Copy()); }
    explicit operator bool() const { return !delegates_.empty(); }
    // Every delegate is called; the answer is false if any of them answered false.
    bool operator()(void* param) {
        bool goOn = true;
        for (auto& delegate : delegates_) goOn = delegate->Invoke(param) && goOn;
        return goOn;
    }

private:
    std::vector<std::unique_ptr<CDelegateBase>> delegates_;
};
