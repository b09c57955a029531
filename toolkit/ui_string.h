#pragma once
// The toolkit's text: multi-byte text in the system's ANSI code page, as the launcher keeps it.

#include <string>
#include <string_view>

class CDuiString {
public:
    CDuiString() = default;
    CDuiString(const char* text) : text_(text ? text : "") {}
    CDuiString(std::string text) : text_(std::move(text)) {}
    CDuiString(std::string_view text) : text_(text) {}

    const char* GetData() const { return text_.c_str(); }
    operator const char*() const { return text_.c_str(); }
    const std::string& str() const { return text_; }
    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }

    CDuiString& operator+=(const CDuiString& other) {
        text_ += other.text_;
        return *this;
    }
    friend CDuiString operator+(CDuiString a, const CDuiString& b) { return a += b; }
    bool operator==(const CDuiString& other) const { return text_ == other.text_; }
    bool operator!=(const CDuiString& other) const { return text_ != other.text_; }
    bool operator==(const char* other) const { return text_ == (other ? other : ""); }
    bool operator!=(const char* other) const { return !(*this == other); }

private:
    std::string text_;
};
