#include "toolkit/dialog_builder_win.h"

#include <shlwapi.h>
#include <wrl/client.h>
#include <xmllite.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/unique_handle_win.h"
#include "toolkit/ansi_wide_win.h"
#include "toolkit/container_win.h"
#include "toolkit/control_factory_win.h"
#include "toolkit/paint_manager_win.h"

using Microsoft::WRL::ComPtr;

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// The platform's XML reader lives in xmllite.dll, which has no import library here.
HRESULT CreateReader(ComPtr<IXmlReader>& reader) {
    using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    static HMODULE module = ::LoadLibraryA("xmllite.dll");
    auto create = module ? reinterpret_cast<CreateXmlReaderFn>(
                               reinterpret_cast<void*>(::GetProcAddress(module, "CreateXmlReader")))
                         : nullptr;
    if (!create) return E_NOTIMPL;
    return create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.GetAddressOf()), nullptr);
}

// The reader always gets plain ASCII: every other character as a character reference. Skin text
// given in code is in the ANSI code page, skin files in UTF-8; the platform's reader has been seen
// to garble a UTF-8 character that straddles its read buffer ("QQ登录" read as "QQ登" and three
// stray characters) and to refuse large UTF-16 input, so no multi-byte text ever reaches it.
ComPtr<IStream> AsciiStream(const std::wstring& text) {
    std::string ascii;
    ascii.reserve(text.size() + text.size() / 4);
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned long c = text[i];
        if (c < 0x80) {
            ascii += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        char reference[16];
        std::snprintf(reference, sizeof reference, "&#x%lX;", c);
        ascii += reference;
    }
    ComPtr<IStream> stream;
    stream.Attach(::SHCreateMemStream(reinterpret_cast<const BYTE*>(ascii.data()),
                                      static_cast<UINT>(ascii.size())));
    return stream;
}

// The file's bytes, or nothing when it cannot be read or is beyond any skin's size.
std::optional<std::string> ReadSkinFile(const std::string& path) {
    constexpr DWORD kMaxSkinFile = 4 * 1024 * 1024;
    gatevane::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxSkinFile) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(read);
    return bytes;
}

// UTF-8 (with or without its mark) when the bytes are UTF-8, else the ANSI code page; the XML
// declaration goes, since the text no longer has the encoding it names.
std::wstring DecodeSkinFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::wstring text = ui::WidenUtf8(bytes);
    if (text.empty() && !bytes.empty()) text = ui::WidenAnsi(bytes);
    if (text.compare(0, 5, L"<?xml") == 0) {
        const std::size_t end = text.find(L"?>");
        text.erase(0, end == std::wstring::npos ? text.size() : end + 2);
        text.erase(0, std::min(text.size(), text.find_first_not_of(L" \t\r\n")));
    }
    return text;
}

ComPtr<IStream> OpenSkin(const char* xml) {
    if (xml[0] == '<') return AsciiStream(ui::WidenAnsi(xml));
    std::optional<std::string> bytes = ReadSkinFile(CPaintManagerUI::GetResourcePath().str() + xml);
    return bytes ? AsciiStream(DecodeSkinFile(*bytes)) : nullptr;
}

Attributes ReadAttributes(IXmlReader* reader) {
    Attributes attributes;
    for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK;
         hr = reader->MoveToNextAttribute()) {
        const wchar_t* name = nullptr;
        const wchar_t* value = nullptr;
        if (SUCCEEDED(reader->GetLocalName(&name, nullptr)) &&
            SUCCEEDED(reader->GetValue(&value, nullptr))) {
            attributes.emplace_back(ui::NarrowToAnsi(name), ui::NarrowToAnsi(value));
        }
    }
    reader->MoveToElement();
    return attributes;
}

const std::string* Find(const Attributes& attributes, const char* name) {
    for (const auto& attribute : attributes) {
        if (attribute.first == name) return &attribute.second;
    }
    return nullptr;
}

// What the builder does with the elements that are not controls.
class SkinReader {
public:
    SkinReader(IDialogBuilderCallback* callback, CPaintManagerUI* manager)
        : callback_(callback), manager_(manager) {}

    bool Read(IXmlReader* reader, CControlUI* parent);
    std::unique_ptr<CControlUI> TakeRoot() { return std::move(root_); }
    const std::string& Error() const { return error_; }

private:
    void StartElement(const std::string& name, const Attributes& attributes, bool empty);
    void ApplyWindow(const Attributes& attributes);
    void AddFont(const Attributes& attributes);
    CControlUI* MakeControl(const std::string& name, const Attributes& attributes);

    IDialogBuilderCallback* callback_;
    CPaintManagerUI* manager_;
    std::unique_ptr<CControlUI> root_;
    CControlUI* outerParent_ = nullptr;
    // Open elements: the control each one made (null for non-controls and skipped ones).
    std::vector<CControlUI*> open_;
    int skipDepth_ = 0;
    std::string error_;
};

bool SkinReader::Read(IXmlReader* reader, CControlUI* parent) {
    outerParent_ = parent;
    XmlNodeType type;
    HRESULT hr;
    while ((hr = reader->Read(&type)) == S_OK) {
        if (type == XmlNodeType_Element) {
            const wchar_t* name = nullptr;
            if (FAILED(reader->GetLocalName(&name, nullptr))) return false;
            bool empty = reader->IsEmptyElement();
            StartElement(ui::NarrowToAnsi(name), ReadAttributes(reader), empty);
        } else if (type == XmlNodeType_EndElement) {
            if (skipDepth_ > 0) {
                --skipDepth_;
            } else if (!open_.empty()) {
                open_.pop_back();
            }
        }
    }
    if (FAILED(hr)) {
        char text[64];
        UINT line = 0;
        reader->GetLineNumber(&line);
        wsprintfA(text, "malformed skin XML near line %u (0x%08lX)", line,
                  static_cast<unsigned long>(hr));
        error_ = text;
        return false;
    }
    return true;
}

void SkinReader::StartElement(const std::string& name, const Attributes& attributes, bool empty) {
    if (skipDepth_ > 0) {
        if (!empty) ++skipDepth_;
        return;
    }
    CControlUI* made = nullptr;
    if (name == "Window") {
        ApplyWindow(attributes);
    } else if (name == "Font") {
        AddFont(attributes);
    } else if (name == "Default") {
        const std::string* className = Find(attributes, "name");
        const std::string* value = Find(attributes, "value");
        if (manager_ && className && value) {
            manager_->AddDefaultAttributeList(className->c_str(), value->c_str());
        }
    } else {
        made = MakeControl(name, attributes);
        if (!made) {
            if (!empty) skipDepth_ = 1;
            return;
        }
    }
    if (!empty) open_.push_back(made);
}

void SkinReader::ApplyWindow(const Attributes& attributes) {
    if (!manager_) return;
    for (const auto& [name, value] : attributes) {
        if (name == "size") {
            ui::Extent size = ui::ParseExtent(value);
            manager_->SetInitSize(size.cx, size.cy);
        } else if (name == "caption") {
            ui::Box box = ui::ParseBox(value);
            manager_->SetCaptionRect(RECT{box.left, box.top, box.right, box.bottom});
        } else if (name == "roundcorner") {
            ui::Extent corner = ui::ParseExtent(value);
            manager_->SetRoundCorner(corner.cx, corner.cy);
        }
    }
}

void SkinReader::AddFont(const Attributes& attributes) {
    if (!manager_) return;
    auto text = [&](const char* key, const char* fallback) {
        const std::string* value = Find(attributes, key);
        return value ? *value : std::string(fallback);
    };
    manager_->AddFont(ui::ParseInt(text("id", "0")), text("name", "").c_str(),
                      ui::ParseInt(text("size", "12")), ui::ParseBool(text("bold", "false")),
                      ui::ParseBool(text("underline", "false")),
                      ui::ParseBool(text("default", "false")));
}

CControlUI* SkinReader::MakeControl(const std::string& name, const Attributes& attributes) {
    CControlUI* control = CreateControlByClass(name.c_str());
    if (!control && callback_) control = callback_->CreateControl(name.c_str());
    if (!control) {
        error_ += "unknown control class " + name + "; ";
        return nullptr;
    }
    if (manager_) {
        if (const char* defaults = manager_->GetDefaultAttributeList(name.c_str())) {
            control->ApplyAttributeList(defaults);
        }
    }
    for (const auto& [key, value] : attributes) control->SetAttribute(key.c_str(), value.c_str());

    CControlUI* parent = nullptr;
    for (auto it = open_.rbegin(); it != open_.rend() && !parent; ++it) parent = *it;
    if (!parent) parent = outerParent_;
    auto* container =
        parent ? static_cast<CContainerUI*>(parent->GetInterface("Container")) : nullptr;
    if (container) {
        container->Add(control);
    } else if (!parent && !root_) {
        root_.reset(control);
    } else {
        error_ += "control " + name + " has no container to go in; ";
        delete control;
        return nullptr;
    }
    return control;
}

}  // namespace

CControlUI* CDialogBuilder::Create(const char* xml, const char*, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, CControlUI* parent) {
    error_.Empty();
    if (!xml || !*xml) {
        error_ = "no skin given";
        return nullptr;
    }
    ComPtr<IXmlReader> reader;
    ComPtr<IStream> stream = OpenSkin(xml);
    if (!stream) {
        error_ = CDuiString("cannot open skin file ") + xml;
        return nullptr;
    }
    if (FAILED(CreateReader(reader)) ||
        FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(stream.Get()))) {
        error_ = "the platform's XML reader is not available";
        return nullptr;
    }
    SkinReader skin(callback, manager);
    bool read = skin.Read(reader.Get(), parent);
    error_ = skin.Error();
    std::unique_ptr<CControlUI> root = skin.TakeRoot();
    if (!read) return nullptr;
    if (!root && !parent && error_.IsEmpty()) error_ = "the skin has no control";
    return root.release();
}
