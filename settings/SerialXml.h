// SPDX-License-Identifier: MIT
#pragma once
// One XML document held in memory, with exactly what the save file needs:
// elements whose text is a value in one of six text forms, attached in file
// order, written indented through a stylesheet, and, after a file is parsed,
// values read back from the element a path expression selects.
//
// An object serves one save or one load and is used by one thread; separate
// objects may live on separate threads at the same time.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kr {

// A read whose path selects nothing. The message ("Invalid XPath: " and the
// path) is for diagnosis; the save-file code reports its own.
class MissingNodeError : public std::runtime_error {
public:
    explicit MissingNodeError(const std::u16string& path);
};

// Any other failure of the XML library. Distinct from MissingNodeError: a
// handler for the one does not catch the other.
class XmlLibraryError : public std::runtime_error {
public:
    explicit XmlLibraryError(const std::string& what);
};

// A node of the document. Valid while the document that handed it out lives;
// an element that is never attached is released with the document.
class XmlNode {
public:
    XmlNode() = default;
    explicit operator bool() const { return node_ != nullptr; }

private:
    friend class CSerialXml;
    explicit XmlNode(void* node) : node_(node) {}
    void* node_ = nullptr;
};

class CSerialXml {
public:
    // An empty document. Throws XmlLibraryError when none can be created.
    CSerialXml();
    ~CSerialXml();
    CSerialXml(const CSerialXml&) = delete;
    CSerialXml& operator=(const CSerialXml&) = delete;

    // Creating operations make an unattached element in no namespace. Texts
    // that XML cannot carry (control characters other than tab, line feed
    // and carriage return, unpaired surrogates, U+FFFE, U+FFFF) and invalid
    // element names throw XmlLibraryError rather than produce a file that
    // would not load again.
    XmlNode CreateElement(const std::u16string& name);
    XmlNode CreateTextElement(const std::u16string& name, const std::u16string& text);
    XmlNode CreateStringElement(const std::u16string& name, const std::u16string& value);
    XmlNode CreateIntElement(const std::u16string& name, std::int32_t value);
    XmlNode CreateDecimalWordElement(const std::u16string& name, std::uint16_t value);
    XmlNode CreateDecimalDWordElement(const std::u16string& name, std::uint32_t value);
    XmlNode CreateHexByteElement(const std::u16string& name, std::uint8_t value);
    XmlNode CreateHexWordElement(const std::u16string& name, std::uint16_t value);

    // Makes the element the document's root element (there can be only one).
    void AppendToDocument(XmlNode element);
    // Moves the child after the parent's existing children; returns it.
    XmlNode AppendChild(XmlNode parent, XmlNode child);

    // Writes the document, transformed by the stylesheet, to path in one
    // piece: the old file stays as it was unless the new one is complete.
    // False when the stylesheet text does not parse or is not a stylesheet;
    // throws XmlLibraryError when the transform or the write fails, or when
    // the file would be larger than Load reads, its text the failure's and
    // the library's reason, or for a write the path and the system's reason.
    // The document itself is not changed.
    bool SaveWithStylesheet(const std::filesystem::path& path, const std::u16string& stylesheetText);

    // Parses the file into the document. False, leaving the document as it
    // was, when the file is missing, unreadable, not a regular file, too big
    // for a save file, not well-formed, or declares entities or an external
    // DTD. When the file itself could not be read, reason, when given, holds
    // the system's text.
    bool Load(const std::filesystem::path& path, std::string* reason = nullptr);

    // The first node, in document order, that the XPath 1.0 expression
    // selects; an empty handle when it selects none. Throws XmlLibraryError
    // for an expression that does not parse or does not give a node-set.
    XmlNode SelectNode(const std::u16string& path);
    // The node's text content, white space included; empty for no node.
    std::u16string GetNodeText(XmlNode node);

    // Each reads the element the path selects and converts its text; the out
    // value is written only on success. Throws MissingNodeError when the path
    // selects nothing.
    void GetString(const std::u16string& path, std::u16string& value);
    void GetInt(const std::u16string& path, std::int32_t& value);
    void GetDecimalWord(const std::u16string& path, std::uint16_t& value);
    void GetDecimalDWord(const std::u16string& path, std::uint32_t& value);
    void GetHexByte(const std::u16string& path, std::uint8_t& value);
    void GetHexWord(const std::u16string& path, std::uint16_t& value);

private:
    std::u16string ReadText(const std::u16string& path);
    void* EvaluatePath(const std::string& expression);
    const std::unordered_map<std::uint64_t, void*>& FirstElementsByPath(std::size_t steps);
    void ForgetChildren();
    void ReleaseDocument();

    void* doc_ = nullptr;
    // The path context of the current document, made on the first lookup
    // and kept for every later one: making a context builds the library's
    // function tables, which costs far more than the lookup itself.
    void* pathContext_ = nullptr;
    // For paths //A/.../Z of plain names, by their number of steps: the first
    // element, in document order, of each hash of such a path; built by one
    // walk of the document on the first lookup and kept until it changes. A
    // reader of a hundred fields so walks the document once, not per field.
    struct Index {
        bool built = false;
        std::unordered_map<std::uint64_t, void*> first;
    };
    std::vector<Index> firstByPath_;
    // Every element created here; those still unattached when the document
    // goes are released with it.
    std::vector<void*> created_;
};

}  // namespace kr
