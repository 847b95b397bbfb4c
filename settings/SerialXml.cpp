// SPDX-License-Identifier: MIT
#include "settings/SerialXml.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <unordered_map>

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

#include "platform/AtomicFile.h"
#include "platform/NumberText.h"
#include "platform/SmallFile.h"
#include "platform/Utf.h"
#include "settings/SaveFileSize.h"
#include "settings/ValueText.h"
#include "settings/XmlLibrary.h"

namespace kr {
namespace {

// A file above the save-file cap is not a save file: it is refused by its
// size before a byte of it is read.
constexpr std::size_t kMaxDocumentBytes = kMaxSaveFileBytes;

xmlDoc* Doc(void* doc)
{
    return static_cast<xmlDoc*>(doc);
}

const xmlChar* Chars(const std::string& utf8)
{
    return reinterpret_cast<const xmlChar*>(utf8.c_str());
}

std::u16string FromLibraryText(xmlChar* text)
{
    if (!text)
        return {};
    std::u16string out = platform::FromUtf8(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return out;
}

// Characters of XML 1.0: everything but most C0 controls, lone surrogates
// and U+FFFE/U+FFFF.
bool XmlCanCarry(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
        if (platform::IsHighSurrogate(c)) {
            if (i + 1 == text.size() || !platform::IsLowSurrogate(text[i + 1]))
                return false;
            ++i;
        } else if (platform::IsLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

struct XPathObjectDeleter {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct TransformDeleter {
    void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
struct SecurityDeleter {
    void operator()(xsltSecurityPrefs* prefs) const { xsltFreeSecurityPrefs(prefs); }
};
struct LibraryFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

// A failure's own words, followed by the library's reason when it gave one.
std::string WithLibraryReason(const std::string& what, const xml::QuietErrors& quiet)
{
    return quiet.LastError().empty() ? what : what + ": " + quiet.LastError();
}

// Compiled path expressions, kept per thread: a save file's reader asks for
// the same few dozen paths in every document. A compiled expression holds
// no document and no context, so one serves them all. The number kept is
// capped; paths beyond it are compiled for each use.
class CompiledPaths {
public:
    CompiledPaths() = default;
    CompiledPaths(const CompiledPaths&) = delete;
    CompiledPaths& operator=(const CompiledPaths&) = delete;
    ~CompiledPaths()
    {
        for (auto& [expression, compiled] : compiled_)
            xmlXPathFreeCompExpr(compiled);
    }

    // Evaluates expression in context; null when it does not compile or
    // evaluate.
    xmlXPathObject* Evaluate(const std::string& expression, xmlXPathContext* context)
    {
        const auto found = compiled_.find(expression);
        if (found != compiled_.end())
            return xmlXPathCompiledEval(found->second, context);
        xmlXPathCompExpr* compiled = xmlXPathCompile(Chars(expression));
        if (!compiled)
            return nullptr;
        xmlXPathObject* result = xmlXPathCompiledEval(compiled, context);
        if (compiled_.size() < kMaxKept)
            compiled_.emplace(expression, compiled);
        else
            xmlXPathFreeCompExpr(compiled);
        return result;
    }

private:
    static constexpr std::size_t kMaxKept = 256;
    std::unordered_map<std::string, xmlXPathCompExpr*> compiled_;
};

// The stylesheet only copies nodes; it has no business touching files or the
// network, whatever text it is given.
std::unique_ptr<xsltSecurityPrefs, SecurityDeleter> LockedDownPrefs()
{
    std::unique_ptr<xsltSecurityPrefs, SecurityDeleter> prefs(xsltNewSecurityPrefs());
    if (!prefs)
        throw XmlLibraryError("cannot create the transform's security settings");
    for (const auto option : {XSLT_SECPREF_READ_FILE, XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                              XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK})
        xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid);
    return prefs;
}

bool IsPlainNameCharacter(char c, bool first)
{
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return letter || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.'));
}

// The number of steps of "//A/.../Z" when every step is a plain ASCII name;
// 0 for any other expression, which is left to the full evaluation.
std::size_t PlainPathSteps(std::string_view path)
{
    if (!path.starts_with("//"))
        return 0;
    std::size_t steps = 0;
    bool stepStart = true;
    for (std::size_t i = 2; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '/') {
            if (stepStart)
                return 0;
            stepStart = true;
            continue;
        }
        if (!IsPlainNameCharacter(c, stepStart))
            return 0;
        if (stepStart)
            ++steps;
        stepStart = false;
    }
    return stepStart ? 0 : steps;
}

}  // namespace

MissingNodeError::MissingNodeError(const std::u16string& path)
    : std::runtime_error("Invalid XPath: " + platform::ToUtf8(path))
{
}

XmlLibraryError::XmlLibraryError(const std::string& what) : std::runtime_error(what)
{
}

CSerialXml::CSerialXml()
{
    xml::EnsureInitialised();
    doc_ = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (!doc_)
        throw XmlLibraryError("cannot create an XML document");
}

CSerialXml::~CSerialXml()
{
    ReleaseDocument();
}

void CSerialXml::ReleaseDocument()
{
    // Only the top of each unattached tree is freed; its descendants go with
    // it. Collected first, since freeing one top releases nodes listed later.
    std::vector<xmlNode*> detached;
    for (void* p : created_) {
        auto* node = static_cast<xmlNode*>(p);
        if (!node->parent)
            detached.push_back(node);
    }
    for (xmlNode* node : detached)
        xmlFreeNode(node);
    created_.clear();
    ForgetChildren();
    xmlXPathFreeContext(static_cast<xmlXPathContext*>(pathContext_));
    pathContext_ = nullptr;
    xmlFreeDoc(Doc(doc_));
    doc_ = nullptr;
}

XmlNode CSerialXml::CreateElement(const std::u16string& name)
{
    const std::string utf8 = platform::ToUtf8(name);
    if (!XmlCanCarry(name) || xmlValidateName(Chars(utf8), 0) != 0)
        throw XmlLibraryError("invalid element name: " + utf8);
    created_.reserve(created_.size() + 1);
    xmlNode* element = xmlNewDocNode(Doc(doc_), nullptr, Chars(utf8), nullptr);
    if (!element)
        throw XmlLibraryError("cannot create element " + utf8);
    created_.push_back(element);
    return XmlNode(element);
}

XmlNode CSerialXml::CreateTextElement(const std::u16string& name, const std::u16string& text)
{
    if (!XmlCanCarry(text))
        throw XmlLibraryError("the text of element " + platform::ToUtf8(name) + " holds a character XML cannot carry");
    const XmlNode element = CreateElement(name);
    if (!text.empty()) {
        // A text node takes the characters as they are; markup in them is
        // escaped when the document is written.
        const std::string utf8 = platform::ToUtf8(text);
        if (utf8.size() > static_cast<std::size_t>(INT_MAX))
            throw XmlLibraryError("text too long for element " + platform::ToUtf8(name));
        xmlNode* content = xmlNewDocTextLen(Doc(doc_), Chars(utf8), static_cast<int>(utf8.size()));
        if (!content)
            throw XmlLibraryError("cannot create text");
        xmlAddChild(static_cast<xmlNode*>(element.node_), content);
    }
    return element;
}

XmlNode CSerialXml::CreateStringElement(const std::u16string& name, const std::u16string& value)
{
    return CreateTextElement(name, QuoteString(value));
}

XmlNode CSerialXml::CreateIntElement(const std::u16string& name, std::int32_t value)
{
    return CreateTextElement(name, platform::FormatDecimal(value));
}

XmlNode CSerialXml::CreateDecimalWordElement(const std::u16string& name, std::uint16_t value)
{
    return CreateTextElement(name, platform::FormatDecimal(value));
}

XmlNode CSerialXml::CreateDecimalDWordElement(const std::u16string& name, std::uint32_t value)
{
    return CreateTextElement(name, platform::FormatDecimal(value));
}

XmlNode CSerialXml::CreateHexByteElement(const std::u16string& name, std::uint8_t value)
{
    return CreateTextElement(name, platform::FormatHex(value, 2));
}

XmlNode CSerialXml::CreateHexWordElement(const std::u16string& name, std::uint16_t value)
{
    return CreateTextElement(name, platform::FormatHex(value, 4));
}

void CSerialXml::AppendToDocument(XmlNode element)
{
    auto* node = static_cast<xmlNode*>(element.node_);
    if (!node || node->type != XML_ELEMENT_NODE || node->doc != Doc(doc_))
        throw XmlLibraryError("only an element of this document can become its root");
    if (xmlDocGetRootElement(Doc(doc_)))
        throw XmlLibraryError("the document already has a root element");
    xmlUnlinkNode(node);
    xmlAddChild(reinterpret_cast<xmlNode*>(Doc(doc_)), node);
    ForgetChildren();
}

XmlNode CSerialXml::AppendChild(XmlNode parent, XmlNode child)
{
    auto* to = static_cast<xmlNode*>(parent.node_);
    auto* node = static_cast<xmlNode*>(child.node_);
    if (!to || !node || to->type != XML_ELEMENT_NODE || node->type != XML_ELEMENT_NODE || to->doc != Doc(doc_)
        || node->doc != Doc(doc_))
        throw XmlLibraryError("only an element of this document can be appended to one of its elements");
    for (xmlNode* up = to; up; up = up->parent) {
        if (up == node)
            throw XmlLibraryError("an element cannot be appended below itself");
    }
    xmlUnlinkNode(node);
    xmlAddChild(to, node);
    ForgetChildren();
    return child;
}

bool CSerialXml::SaveWithStylesheet(const std::filesystem::path& path, const std::u16string& stylesheetText)
{
    xml::QuietErrors quiet;
    xml::DocPtr styleDoc = xml::ParseUntrusted(platform::ToUtf8(stylesheetText), true);
    if (!styleDoc)
        return false;
    xml::StylesheetPtr style(xsltParseStylesheetDoc(styleDoc.get()));
    if (!style)
        return false;
    styleDoc.release();  // now owned by the stylesheet

    std::unique_ptr<xsltTransformContext, TransformDeleter> transform(xsltNewTransformContext(style.get(), Doc(doc_)));
    if (!transform)
        throw XmlLibraryError(WithLibraryReason("cannot create a transform", quiet));
    const auto prefs = LockedDownPrefs();
    xsltSetCtxtSecurityPrefs(prefs.get(), transform.get());
    xsltSetTransformErrorFunc(transform.get(), &quiet, xml::QuietErrors::KeepFormatted);

    const xml::DocPtr result(
        xsltApplyStylesheetUser(style.get(), Doc(doc_), nullptr, nullptr, nullptr, transform.get()));
    if (!result || transform->state != XSLT_STATE_OK)
        throw XmlLibraryError(WithLibraryReason("the transform failed", quiet));

    xmlChar* raw = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&raw, &length, result.get(), style.get()) != 0)
        throw XmlLibraryError(WithLibraryReason("cannot serialise the transformed document", quiet));
    const std::unique_ptr<xmlChar, LibraryFree> text(raw);
    const std::string_view bytes(reinterpret_cast<const char*>(raw), raw ? static_cast<std::size_t>(length) : 0);
    // A file Load would refuse by its size is not written at all.
    if (bytes.size() > kMaxDocumentBytes)
        throw XmlLibraryError("the document is larger than a save file may be");
    platform::FileFailure why;
    if (!platform::WriteFileAtomically(path.native(), bytes, platform::Durability::FlushToDisk, &why))
        throw XmlLibraryError(why.Line());
    return true;
}

bool CSerialXml::Load(const std::filesystem::path& path, std::string* reason)
{
    const auto bytes = platform::ReadSmallRegularFile(path.native(), kMaxDocumentBytes, reason);
    if (!bytes)
        return false;
    xml::DocPtr parsed = xml::ParseUntrusted(*bytes, false);
    if (!parsed)
        return false;
    ReleaseDocument();
    doc_ = parsed.release();
    return true;
}

void* CSerialXml::EvaluatePath(const std::string& expression)
{
    if (!pathContext_) {
        pathContext_ = xmlXPathNewContext(Doc(doc_));
        if (!pathContext_)
            throw XmlLibraryError("cannot create a path context");
    }
    auto* context = static_cast<xmlXPathContext*>(pathContext_);
    // Every lookup starts from the state of a fresh context.
    context->node = nullptr;
    context->contextSize = -1;
    context->proximityPosition = -1;
    thread_local CompiledPaths compiledPaths;
    xmlXPathObject* result = compiledPaths.Evaluate(expression, context);
    if (!result || result->type != XPATH_NODESET) {
        xmlXPathFreeObject(result);
        throw XmlLibraryError("not a path to nodes: " + expression);
    }
    if (result->nodesetval)
        xmlXPathNodeSetSort(result->nodesetval);
    return result;
}

namespace {

// FNV-1a over the names of a path's steps, each followed by '/': the same
// value whether the names come from a path's text or from elements.
constexpr std::uint64_t kHashStart = 14695981039346656037ull;
std::uint64_t HashStep(std::uint64_t hash, std::string_view name)
{
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return (hash ^ '/') * 1099511628211ull;
}

std::string_view NameOf(const xmlNode* node)
{
    return reinterpret_cast<const char*>(node->name);
}

// Whether node is what the plain path (its steps after "//") names: its own
// name and those of its ancestors, none of them in a namespace.
bool NodeMatchesSteps(const xmlNode* node, std::string_view steps)
{
    while (!steps.empty()) {
        const std::size_t slash = steps.rfind('/');
        const std::string_view name = slash == std::string_view::npos ? steps : steps.substr(slash + 1);
        if (!node || node->type != XML_ELEMENT_NODE || node->ns || NameOf(node) != name)
            return false;
        steps = slash == std::string_view::npos ? std::string_view() : steps.substr(0, slash);
        node = node->parent;
    }
    return true;
}

}  // namespace

const std::unordered_map<std::uint64_t, void*>& CSerialXml::FirstElementsByPath(std::size_t steps)
{
    if (firstByPath_.size() < steps + 1)
        firstByPath_.resize(steps + 1);
    Index& index = firstByPath_[steps];
    if (index.built)
        return index.first;
    index.first.reserve(256);
    // One walk in document order (preorder). Each element is reachable as
    // //A/.../Z through the names of its last `steps` ancestors-or-self, as
    // long as none of them is in a namespace (an unprefixed name test needs
    // none); the first element per path's hash is kept.
    auto visit = [&](auto& self, const xmlNode* parent, std::vector<const xmlNode*>& chain) -> void {
        for (const xmlNode* node = parent->children; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE)
                continue;
            if (node->ns) {
                std::vector<const xmlNode*> below;  // no path runs through it
                self(self, node, below);
                continue;
            }
            chain.push_back(node);
            if (chain.size() >= steps) {
                std::uint64_t hash = kHashStart;
                for (std::size_t i = chain.size() - steps; i < chain.size(); ++i)
                    hash = HashStep(hash, NameOf(chain[i]));
                index.first.try_emplace(hash, const_cast<xmlNode*>(node));
            }
            self(self, node, chain);
            chain.pop_back();
        }
    };
    std::vector<const xmlNode*> chain;
    if (doc_)
        visit(visit, reinterpret_cast<const xmlNode*>(Doc(doc_)), chain);
    index.built = true;
    return index.first;
}

void CSerialXml::ForgetChildren()
{
    firstByPath_.clear();
}

XmlNode CSerialXml::SelectNode(const std::u16string& path)
{
    const std::string expression = platform::ToUtf8(path);
    if (const std::size_t steps = PlainPathSteps(expression); steps >= 1) {
        const std::string_view names = std::string_view(expression).substr(2);
        std::uint64_t hash = kHashStart;
        for (std::size_t begin = 0; begin <= names.size();) {
            const std::size_t end = std::min(names.find('/', begin), names.size());
            hash = HashStep(hash, names.substr(begin, end - begin));
            begin = end + 1;
        }
        const auto& first = FirstElementsByPath(steps);
        const auto found = first.find(hash);
        if (found == first.end())
            return {};
        // Two paths of the same hash: the first element kept may be the
        // other path's, so only then is the path evaluated in full.
        if (NodeMatchesSteps(static_cast<const xmlNode*>(found->second), names))
            return XmlNode(found->second);
    }
    // Only the library's evaluation can raise errors of its own.
    xml::QuietErrors quiet;
    const std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
        static_cast<xmlXPathObject*>(EvaluatePath(expression)));
    xmlNodeSet* nodes = result->nodesetval;
    if (!nodes || nodes->nodeNr == 0)
        return {};
    xmlNode* first = nodes->nodeTab[0];
    if (first->type == XML_NAMESPACE_DECL)
        throw XmlLibraryError("a namespace node cannot be read: " + expression);
    return XmlNode(first);
}

std::u16string CSerialXml::GetNodeText(XmlNode node)
{
    if (!node)
        return {};
    return FromLibraryText(xmlNodeGetContent(static_cast<xmlNode*>(node.node_)));
}

std::u16string CSerialXml::ReadText(const std::u16string& path)
{
    const XmlNode node = SelectNode(path);
    if (!node)
        throw MissingNodeError(path);
    return GetNodeText(node);
}

void CSerialXml::GetString(const std::u16string& path, std::u16string& value)
{
    value = UnquoteString(ReadText(path));
}

void CSerialXml::GetInt(const std::u16string& path, std::int32_t& value)
{
    value = ParseLooseInt(ReadText(path));
}

void CSerialXml::GetDecimalWord(const std::u16string& path, std::uint16_t& value)
{
    value = static_cast<std::uint16_t>(ParseLooseUnsigned(ReadText(path), 10));
}

void CSerialXml::GetDecimalDWord(const std::u16string& path, std::uint32_t& value)
{
    value = ParseLooseUnsigned(ReadText(path), 10);
}

void CSerialXml::GetHexByte(const std::u16string& path, std::uint8_t& value)
{
    value = static_cast<std::uint8_t>(ParseLooseUnsigned(ReadText(path), 16));
}

void CSerialXml::GetHexWord(const std::u16string& path, std::uint16_t& value)
{
    value = static_cast<std::uint16_t>(ParseLooseUnsigned(ReadText(path), 16));
}

}  // namespace kr
