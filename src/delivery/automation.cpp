#include "delivery/automation.h"

#include <oleauto.h>

#include <vector>

namespace automation {

namespace {

// The user-interface thread joins a single-threaded apartment once and stays
// in it: objects of in-process servers may keep windows of their own in this
// process (the messenger's conversation window), which must outlive the call
// that created them.
void EnsureApartment() {
    static const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)joined;
}

CLSID ClassOf(const wchar_t* progId) {
    EnsureApartment();
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) throw Error{hr};
    return clsid;
}

}  // namespace

Value::Value() { VariantInit(&v_); }

Value::Value(const wchar_t* text) : Value(std::wstring(text)) {}

Value::Value(const std::wstring& text) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!v_.bstrVal) {
        v_.vt = VT_EMPTY;
        throw Error{E_OUTOFMEMORY};
    }
}

Value::Value(int number) {
    VariantInit(&v_);
    v_.vt = VT_I4;
    v_.lVal = number;
}

Value::Value(bool flag) {
    VariantInit(&v_);
    v_.vt = VT_BOOL;
    v_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Value::Value(const automation::Object& object) {
    VariantInit(&v_);
    v_.vt = VT_DISPATCH;
    v_.pdispVal = object.p_;
    if (v_.pdispVal) v_.pdispVal->AddRef();
}

Value::Value(const Value& other) {
    VariantInit(&v_);
    const HRESULT hr = VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    if (FAILED(hr)) throw Error{hr};
}

Value& Value::operator=(const Value& other) {
    if (this != &other) {
        VariantClear(&v_);
        const HRESULT hr = VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        if (FAILED(hr)) throw Error{hr};
    }
    return *this;
}

Value::~Value() { VariantClear(&v_); }

std::wstring Value::Text() const {
    VARIANT t;
    VariantInit(&t);
    const HRESULT hr = VariantChangeType(&t, const_cast<VARIANT*>(&v_), 0, VT_BSTR);
    if (FAILED(hr)) throw Error{hr};
    std::wstring text(t.bstrVal ? t.bstrVal : L"", t.bstrVal ? SysStringLen(t.bstrVal) : 0);
    VariantClear(&t);
    return text;
}

long Value::Number() const {
    VARIANT t;
    VariantInit(&t);
    const HRESULT hr = VariantChangeType(&t, const_cast<VARIANT*>(&v_), 0, VT_I4);
    if (FAILED(hr)) throw Error{hr};
    return t.lVal;
}

Object Value::AsObject() const {
    IDispatch* d = nullptr;
    if (v_.vt == VT_DISPATCH) d = v_.pdispVal;
    else if (v_.vt == (VT_DISPATCH | VT_BYREF) && v_.ppdispVal) d = *v_.ppdispVal;
    if (!d) throw Error{DISP_E_TYPEMISMATCH};
    d->AddRef();
    return automation::Object(d);
}

Object::Object(const Object& other) : p_(other.p_) {
    if (p_) p_->AddRef();
}

Object& Object::operator=(Object other) {
    std::swap(p_, other.p_);
    return *this;
}

Object::~Object() {
    if (p_) p_->Release();
}

Object Object::Create(const wchar_t* progId) {
    const CLSID clsid = ClassOf(progId);
    IDispatch* d = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d));
    if (FAILED(hr) || !d) throw Error{FAILED(hr) ? hr : E_NOINTERFACE};
    return Object(d);
}

Object Object::RunningOrCreate(const wchar_t* progId) {
    const CLSID clsid = ClassOf(progId);
    IUnknown* running = nullptr;
    if (SUCCEEDED(GetActiveObject(clsid, nullptr, &running)) && running) {
        IDispatch* d = nullptr;
        const HRESULT hr = running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
        running->Release();
        if (SUCCEEDED(hr) && d) return Object(d);
    }
    return Create(progId);
}

Value Object::Invoke(const wchar_t* name, WORD kind, std::initializer_list<Value> args) {
    if (!p_) throw Error{E_POINTER};
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw Error{hr};
    // Automation takes the arguments last to first.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto a = args.end(); a != args.begin();) reversed.push_back(*(--a)->get());
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    DISPID named = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUT) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &named;
    }
    Value result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    hr = p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                    kind == DISPATCH_PROPERTYPUT ? nullptr : result.get(), &exception, &badArgument);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr)) throw Error{hr};
    return result;
}

Value Object::Call(const wchar_t* name, std::initializer_list<Value> args) {
    return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

Value Object::Get(const wchar_t* name, std::initializer_list<Value> args) {
    return Invoke(name, DISPATCH_PROPERTYGET, args);
}

void Object::Put(const wchar_t* name, const Value& value) { Invoke(name, DISPATCH_PROPERTYPUT, {value}); }

}  // namespace automation
