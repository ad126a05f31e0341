#pragma once
// How appctl shows an answer: one JSON object, or a readable listing where
// numbered records (1_itemId, 2_itemId, ...) become a table.
#include <map>
#include <optional>
#include <string>

namespace Appctl {

using Entries = std::map<std::string, std::string>;  // sorted by key

std::string FormatJson(int appControlResult, const std::optional<Entries>& extra);
std::string FormatReadable(int appControlResult, const std::optional<Entries>& extra);
std::string JsonQuote(const std::string& utf8);

}  // namespace Appctl
