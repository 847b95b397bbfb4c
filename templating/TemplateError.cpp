// SPDX-License-Identifier: MIT
#include "templating/TemplateError.h"

#include <algorithm>
#include <string>

#include "platform/NumberText.h"

namespace kr {
namespace {

std::u16string MessageOf(const TemplateError& error)
{
    switch (error.problem) {
    case TemplateProblem::UnterminatedTag:
        return u"tag marker \u00AB without its closing \u00BB";
    case TemplateProblem::UnterminatedKey:
        return u"key marker \u00A6 without its closing \u00A6";
    case TemplateProblem::UnopenedBlockEnd:
        return u"block end \u00B6 with no block open";
    case TemplateProblem::UndefinedTag:
        return u"undefined tag \u00AB" + error.name + u"\u00BB";
    case TemplateProblem::UndefinedKey:
        return u"undefined key \u00A6" + error.name + u"\u00A6";
    case TemplateProblem::WriteFailed:
        return u"the output file cannot be written";
    case TemplateProblem::None:
        break;
    }
    return u"no error";
}

}  // namespace

TemplateError TemplateErrorAt(std::u16string_view templateText, std::size_t offset, ExpandResult code,
                              TemplateProblem problem, std::u16string name)
{
    const std::u16string_view before = templateText.substr(0, std::min(offset, templateText.size()));
    const std::size_t lastBreak = before.rfind(u'\n');
    const std::size_t lineStart = lastBreak == std::u16string_view::npos ? 0 : lastBreak + 1;
    TemplateError error;
    error.code = code;
    error.problem = problem;
    error.line = 1 + static_cast<int>(std::count(before.begin(), before.end(), u'\n'));
    error.column = 1 + static_cast<int>(before.size() - lineStart);
    error.name = std::move(name);
    return error;
}

std::u16string DescribeTemplateError(std::u16string_view fileName, const TemplateError& error)
{
    if (!error.HasPlace())
        return MessageOf(error);
    return std::u16string(fileName) + u":" + platform::FormatDecimal(error.line) + u":"
           + platform::FormatDecimal(error.column) + u": " + MessageOf(error);
}

}  // namespace kr
