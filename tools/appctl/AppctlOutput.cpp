#include "tools/appctl/AppctlOutput.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/app/AppTypes.h"
#include "platform/base/String.h"

namespace Appctl {
namespace {

constexpr std::size_t kMaxCellWidth = 32;

// Record fields in the order in which records are written; others follow by name.
const char* const kFieldOrder[] = {"itemId",       "itemGroupId",     "itemName",    "currencyUnit",
                                   "unitPrecedes", "hasPenny",        "itemPrice",   "itemDownloadUrl",
                                   "itemImageUrl", "itemDescription", "reserved1",   "reserved2",
                                   "paymentId",    "purchaseDate",    "countryCode", "countryName"};

int FieldRank(const std::string& field) {
    auto it = std::find(std::begin(kFieldOrder), std::end(kFieldOrder), field);
    return static_cast<int>(it - std::begin(kFieldOrder));
}

// "12_itemId" -> (12, "itemId"); false for anything else.
bool SplitNumbered(const std::string& key, long& number, std::string& field) {
    std::size_t underscore = key.find('_');
    if (underscore == 0 || underscore == std::string::npos || underscore > 9 || underscore + 1 == key.size())
        return false;
    for (std::size_t i = 0; i < underscore; ++i) {
        if (key[i] < '0' || key[i] > '9') return false;
    }
    number = std::stol(key.substr(0, underscore));
    field = key.substr(underscore + 1);
    return true;
}

std::wstring Cell(const std::string& utf8) {
    std::wstring text = Vx::Base::String::FromUtf8(utf8).ToStdWString();
    for (wchar_t& c : text) {
        if (c == L'\n' || c == L'\t' || c == L'\r') c = L' ';
    }
    if (text.size() > kMaxCellWidth) text = text.substr(0, kMaxCellWidth - 1) + L"\u2026";
    return text;
}

std::string Utf8(const std::wstring& text) { return Vx::Base::String(text).ToUtf8(); }

std::string FormatTable(const std::map<long, Entries>& rows, const std::vector<std::string>& fields) {
    std::vector<std::wstring> headers{L"#"};
    for (const std::string& f : fields)
        headers.push_back(Cell(f));
    std::vector<std::vector<std::wstring>> cells;
    for (const auto& [number, row] : rows) {
        std::vector<std::wstring> line{Cell(std::to_string(number))};
        for (const std::string& f : fields) {
            auto it = row.find(f);
            line.push_back(it == row.end() ? L"" : Cell(it->second));
        }
        cells.push_back(std::move(line));
    }
    std::vector<std::size_t> widths(headers.size());
    for (std::size_t c = 0; c < headers.size(); ++c) {
        widths[c] = headers[c].size();
        for (const auto& line : cells)
            widths[c] = std::max(widths[c], line[c].size());
    }
    auto render = [&widths](const std::vector<std::wstring>& line) {
        std::wstring out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            out += line[c];
            if (c + 1 < line.size()) out += std::wstring(widths[c] - line[c].size() + 2, L' ');
        }
        while (!out.empty() && out.back() == L' ')
            out.pop_back();
        return Utf8(out) + "\n";
    };
    std::string out = render(headers);
    for (const auto& line : cells)
        out += render(line);
    return out;
}

}  // namespace

std::string JsonQuote(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string FormatJson(int appControlResult, const std::optional<Entries>& extra) {
    std::string out = "{\"result\": " + std::to_string(appControlResult) + ", \"extra\": ";
    if (!extra) return out + "null}";
    out += "{";
    bool first = true;
    for (const auto& [key, value] : *extra) {
        if (!first) out += ", ";
        first = false;
        out += JsonQuote(key) + ": " + JsonQuote(value);
    }
    return out + "}}";
}

std::string FormatReadable(int appControlResult, const std::optional<Entries>& extra) {
    std::string out = std::string("Result: ") + Vx::App::GetAppCtrlResultName(appControlResult) + " (" +
                      std::to_string(appControlResult) + ")\n";
    if (!extra) return out + "No extra data.\n";
    std::map<long, Entries> rows;
    std::vector<std::string> fields;
    for (const auto& [key, value] : *extra) {
        long number = 0;
        std::string field;
        if (SplitNumbered(key, number, field)) {
            rows[number][field] = value;
            if (std::find(fields.begin(), fields.end(), field) == fields.end()) fields.push_back(field);
        } else {
            out += key + " = " + value + "\n";
        }
    }
    if (rows.empty()) return out;
    std::stable_sort(fields.begin(), fields.end(), [](const std::string& a, const std::string& b) {
        int ra = FieldRank(a), rb = FieldRank(b);
        return ra != rb ? ra < rb : a < b;
    });
    out += '\n';
    out += std::to_string(rows.size());
    out += rows.size() == 1 ? " record:\n" : " records:\n";
    return out + FormatTable(rows, fields);
}

}  // namespace Appctl
