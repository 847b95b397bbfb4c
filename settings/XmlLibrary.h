// SPDX-License-Identifier: MIT
#pragma once
// What every use of libxml2 and libxslt in the program goes through: one
// initialisation for the process, silence on stderr, and the one way a
// document is parsed. Only the settings code includes this.

#include <memory>
#include <string>
#include <string_view>

#include <libxml/tree.h>
#include <libxslt/xsltInternals.h>

namespace kr::xml {

// Initialises both libraries once, whichever thread gets here first, so
// documents may then be parsed on any thread.
void EnsureInitialised();

// While alive, library errors raised on this thread are kept here instead of
// being printed; the caller reports its own failure, with the library's
// reason when it has one.
class QuietErrors {
public:
    QuietErrors();
    ~QuietErrors();
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

    // The library's text for the last error it raised on this thread since
    // this object was made, without its line end; empty when there was none.
    const std::string& LastError() const { return lastError_; }
    // For an error sink of the library's own that takes a context and a
    // format: the formatted text becomes LastError.
    static void KeepFormatted(void* quiet, const char* format, ...);

private:
    static void KeepStructured(void* quiet, xmlError* error);
    void Keep(std::string text);

    std::string lastError_;
    xmlGenericErrorFunc oldGeneric_;
    void* oldGenericContext_;
    xmlStructuredErrorFunc oldStructured_;
    void* oldStructuredContext_;
};

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

struct StylesheetDeleter {
    void operator()(xsltStylesheet* style) const { xsltFreeStylesheet(style); }
};
using StylesheetPtr = std::unique_ptr<xsltStylesheet, StylesheetDeleter>;

// Parses bytes that may come from anyone. No network, no DTD loading, no
// entity substitution; a document that declares an entity or names an
// external DTD is refused before anything is expanded. With assumeUtf8 the
// bytes are read as UTF-8 whatever their declaration says. Null when the
// bytes are not a well-formed document or are refused.
DocPtr ParseUntrusted(std::string_view bytes, bool assumeUtf8);

}  // namespace kr::xml
