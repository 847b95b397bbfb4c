// SPDX-License-Identifier: MIT
#include "settings/XmlLibrary.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>
#include <libxml/xmlerror.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>

namespace kr::xml {
namespace {

void DropGeneric(void*, const char*, ...)
{
}

struct ParseState {
    bool refused = false;
};

// Entity declarations are where expansion bombs and external-entity reads
// start; a save file never needs one, so the parse stops at the first.
void RefuseEntityDecl(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    auto* parser = static_cast<xmlParserCtxt*>(context);
    static_cast<ParseState*>(parser->_private)->refused = true;
    xmlStopParser(parser);
}

// A document type naming an external DTD is refused too; a bare one is kept.
void CheckInternalSubset(void* context, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId)
{
    auto* parser = static_cast<xmlParserCtxt*>(context);
    if (externalId || systemId) {
        static_cast<ParseState*>(parser->_private)->refused = true;
        xmlStopParser(parser);
        return;
    }
    xmlSAX2InternalSubset(context, name, externalId, systemId);
}

struct ParserDeleter {
    void operator()(xmlParserCtxt* parser) const { xmlFreeParserCtxt(parser); }
};

}  // namespace

void EnsureInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xsltInit();
        // libxslt keeps one error sink for the whole process; set it here,
        // before any other thread can use the library.
        xsltSetGenericErrorFunc(nullptr, DropGeneric);
    });
}

QuietErrors::QuietErrors()
    : oldGeneric_(xmlGenericError), oldGenericContext_(xmlGenericErrorContext), oldStructured_(xmlStructuredError),
      oldStructuredContext_(xmlStructuredErrorContext)
{
    xmlSetGenericErrorFunc(this, KeepFormatted);
    xmlSetStructuredErrorFunc(this, KeepStructured);
}

void QuietErrors::Keep(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (!text.empty())
        lastError_ = std::move(text);
}

void QuietErrors::KeepFormatted(void* quiet, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    static_cast<QuietErrors*>(quiet)->Keep(text);
}

void QuietErrors::KeepStructured(void* quiet, xmlError* error)
{
    if (error && error->message)
        static_cast<QuietErrors*>(quiet)->Keep(error->message);
}

QuietErrors::~QuietErrors()
{
    xmlSetGenericErrorFunc(oldGenericContext_, oldGeneric_);
    xmlSetStructuredErrorFunc(oldStructuredContext_, oldStructured_);
}

DocPtr ParseUntrusted(std::string_view bytes, bool assumeUtf8)
{
    EnsureInitialised();
    QuietErrors quiet;
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX))
        return nullptr;
    std::unique_ptr<xmlParserCtxt, ParserDeleter> parser(
        xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
    if (!parser)
        return nullptr;

    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    if (assumeUtf8) {
        options |= XML_PARSE_IGNORE_ENC;
        xmlSwitchEncoding(parser.get(), XML_CHAR_ENCODING_UTF8);
    }
    xmlCtxtUseOptions(parser.get(), options);

    ParseState state;
    parser->_private = &state;
    parser->sax->entityDecl = RefuseEntityDecl;
    parser->sax->internalSubset = CheckInternalSubset;

    xmlParseDocument(parser.get());
    DocPtr doc(parser->myDoc);
    parser->myDoc = nullptr;
    if (!parser->wellFormed || state.refused || !doc || !xmlDocGetRootElement(doc.get()))
        return nullptr;
    return doc;
}

}  // namespace kr::xml
