// Late-bound automation: objects found by their programmatic identifier,
// methods called and properties read and written by name. The mail programs
// and the messenger are driven this way, so that nothing of theirs is needed
// to build the program.
//
// Every reference is owned by an Object and released when it goes out of
// scope, so an error half-way through a conversation with a mail program
// leaves no object of it behind. A failed call throws automation::Error.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>

namespace automation {

struct Error {
    HRESULT code;
};

// One argument or result (a VARIANT that frees what it holds).
class Value {
public:
    Value();
    Value(const wchar_t* text);
    Value(const std::wstring& text);
    Value(int number);
    Value(bool flag);
    Value(const class Object& object);
    Value(const Value& other);
    Value& operator=(const Value& other);
    ~Value();

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }

    // The value converted; Error when it cannot be.
    std::wstring Text() const;
    long Number() const;
    class Object AsObject() const;

private:
    VARIANT v_;
};

class Object {
public:
    Object() = default;
    // Takes over one reference.
    explicit Object(IDispatch* dispatch) : p_(dispatch) {}
    Object(const Object& other);
    Object& operator=(Object other);
    ~Object();

    explicit operator bool() const { return p_ != nullptr; }

    // A new object of the class; Error when it is not installed or refuses.
    static Object Create(const wchar_t* progId);
    // The running object of the class when there is one, else a new one.
    static Object RunningOrCreate(const wchar_t* progId);

    Value Call(const wchar_t* name, std::initializer_list<Value> args = {});
    Value Get(const wchar_t* name, std::initializer_list<Value> args = {});
    void Put(const wchar_t* name, const Value& value);

private:
    friend class Value;
    Value Invoke(const wchar_t* name, WORD kind, std::initializer_list<Value> args);
    IDispatch* p_ = nullptr;
};

}  // namespace automation
