// iap-bench-chart: turns the benchmarks' figure lines into a small SVG bar
// chart of ours against the floor, one row per figure, so the README can show
// the latest run at a glance.
//
// A figure line is tab separated:
//   FIGURE <what> <ours> <floor> <unit> <goal ratio>
// Every other line of the input is ignored, so the whole output of
// `make bench` can be fed in as it is.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Figure {
    std::string what;
    double ours = 0;
    double floor = 0;
    std::string unit;
    double goal = 0;
};

void PrintHelp() {
    std::printf(
        "Usage: iap-bench-chart [-o FILE] [--title TEXT] [INPUT]\n"
        "\n"
        "Reads the output of the benchmarks (INPUT or standard input), picks the\n"
        "lines of the form\n"
        "  FIGURE<TAB>what<TAB>ours<TAB>floor<TAB>unit<TAB>goal\n"
        "and writes an SVG bar chart of ours against the floor with each ratio and\n"
        "its goal to FILE (default: standard output).\n"
        "\n"
        "Exit status: 0 written, 1 no figure found or a file could not be read or\n"
        "written, 2 usage.\n");
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, '\t'))
        parts.push_back(part);
    return parts;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(value) && value >= 0;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Number(double value) {
    char buffer[32];
    if (value >= 100)
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    else if (value >= 10)
        std::snprintf(buffer, sizeof buffer, "%.1f", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

std::string Chart(const std::vector<Figure>& figures, const std::string& title) {
    const int width = 760, left = 300, barMax = 300, rowHeight = 58, top = 48;
    const int height = top + rowHeight * static_cast<int>(figures.size()) + 30;
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"DejaVu Sans, sans-serif\" font-size=\"13\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
        << "<text x=\"12\" y=\"26\" font-size=\"16\" font-weight=\"bold\">" << Escape(title) << "</text>\n"
        << "<rect x=\"" << left << "\" y=\"12\" width=\"12\" height=\"12\" fill=\"#3b73b6\"/>"
        << "<text x=\"" << left + 18 << "\" y=\"23\">ours</text>\n"
        << "<rect x=\"" << left + 70 << "\" y=\"12\" width=\"12\" height=\"12\" fill=\"#b0b0b0\"/>"
        << "<text x=\"" << left + 88 << "\" y=\"23\">floor</text>\n";
    int y = top;
    for (const Figure& f : figures) {
        // Each row has its own scale: the figures come in different units.
        double scale = std::max(f.ours, f.floor);
        int oursWidth = scale > 0 ? static_cast<int>(barMax * f.ours / scale) : 0;
        int floorWidth = scale > 0 ? static_cast<int>(barMax * f.floor / scale) : 0;
        double ratio = f.floor > 0 ? f.ours / f.floor : 0;
        bool met = f.floor > 0 && ratio <= f.goal;
        svg << "<text x=\"12\" y=\"" << y + 22 << "\">" << Escape(f.what) << "</text>\n"
            << "<rect x=\"" << left << "\" y=\"" << y + 6 << "\" width=\"" << oursWidth
            << "\" height=\"18\" fill=\"#3b73b6\"/>"
            << "<text x=\"" << left + oursWidth + 6 << "\" y=\"" << y + 20 << "\">" << Number(f.ours) << ' '
            << Escape(f.unit) << "</text>\n"
            << "<rect x=\"" << left << "\" y=\"" << y + 28 << "\" width=\"" << floorWidth
            << "\" height=\"18\" fill=\"#b0b0b0\"/>"
            << "<text x=\"" << left + floorWidth + 6 << "\" y=\"" << y + 42 << "\">" << Number(f.floor) << ' '
            << Escape(f.unit) << "</text>\n"
            << "<text x=\"12\" y=\"" << y + 42 << "\" fill=\"" << (met ? "#2e7d32" : "#c62828") << "\">"
            << Number(ratio) << "x (goal " << Number(f.goal) << "x)</text>\n";
        y += rowHeight;
    }
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::string output, input, title = "Ours against the floor (lower is better)";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        } else if ((arg == "-o" || arg == "--title") && i + 1 < argc) {
            (arg == "-o" ? output : title) = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && input.empty()) {
            input = arg;
        } else {
            std::fprintf(stderr, "iap-bench-chart: unexpected argument '%s'; see --help\n", arg.c_str());
            return 2;
        }
    }
    std::ifstream file;
    if (!input.empty()) {
        file.open(input);
        if (!file) {
            std::fprintf(stderr, "iap-bench-chart: cannot read %s (%s)\n", input.c_str(), std::strerror(errno));
            return 1;
        }
    }
    std::istream& in = input.empty() ? std::cin : file;
    std::vector<Figure> figures;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> parts = SplitTabs(line);
        if (parts.size() != 6 || parts[0] != "FIGURE") continue;
        Figure f;
        f.what = parts[1];
        f.unit = parts[4];
        if (!ParseNumber(parts[2], f.ours) || !ParseNumber(parts[3], f.floor) || !ParseNumber(parts[5], f.goal)) {
            std::fprintf(stderr, "iap-bench-chart: skipping a figure line with a bad number: %s\n", line.c_str());
            continue;
        }
        figures.push_back(f);
    }
    if (figures.empty()) {
        std::fprintf(stderr, "iap-bench-chart: no FIGURE lines in the input; run the benchmarks first (make bench)\n");
        return 1;
    }
    std::string svg = Chart(figures, title);
    if (output.empty()) {
        std::fwrite(svg.data(), 1, svg.size(), stdout);
        return 0;
    }
    std::ofstream out(output, std::ios::trunc);
    out << svg;
    if (!out.flush()) {
        std::fprintf(stderr, "iap-bench-chart: cannot write %s (%s)\n", output.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
