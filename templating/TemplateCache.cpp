// SPDX-License-Identifier: MIT
#include "templating/TemplateCache.h"

#include <map>
#include <memory>
#include <mutex>

#include "templating/LoadTemplate.h"

namespace kr {

const PreparedTemplate* FindPreparedTemplate(int resourceNumber)
{
    // Resources are part of the program, so a missing one stays missing:
    // that answer is kept too, as a null entry. Never freed: a batch worker
    // that was cut off may still render while the program exits.
    static std::mutex lock;
    static auto& prepared = *new std::map<int, std::unique_ptr<const PreparedTemplate>>();

    const std::lock_guard<std::mutex> guard(lock);
    const auto found = prepared.find(resourceNumber);
    if (found != prepared.end())
        return found->second.get();

    std::unique_ptr<PreparedTemplate> entry;
    if (std::optional<std::u16string> text = LoadTemplate(resourceNumber))
        entry = std::make_unique<PreparedTemplate>(PrepareTemplate(std::move(*text)));
    return prepared.emplace(resourceNumber, std::move(entry)).first->second.get();
}

}  // namespace kr
