#include "tools/nullmeter/junit_report.h"

#include <cstdio>

namespace nullmeter {
namespace {

// Escapes for attribute values (where line breaks and tabs must be
// references to survive) or for element text. Control characters other than
// tab, newline and carriage return are not allowed in XML 1.0.
std::string escape(const std::string& text, bool attribute = true) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
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
        case '\'':
            out += "&apos;";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        default:
            if (c < 0x20)
                out += "\xEF\xBF\xBD";
            else
                out += ch;
        }
    }
    return out;
}

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", s);
    return text;
}

}  // namespace

std::string junitXml(const std::string& suite, const std::vector<JunitCase>& cases) {
    int failures = 0;
    double total = 0;
    for (const JunitCase& c : cases) {
        failures += c.failed ? 1 : 0;
        total += c.seconds;
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites tests=\"" + std::to_string(cases.size()) + "\" failures=\"" +
           std::to_string(failures) + "\" errors=\"0\" time=\"" + seconds(total) + "\">\n";
    xml += "  <testsuite name=\"" + escape(suite) + "\" tests=\"" + std::to_string(cases.size()) +
           "\" failures=\"" + std::to_string(failures) + "\" errors=\"0\" skipped=\"0\" time=\"" +
           seconds(total) + "\">\n";
    for (const JunitCase& c : cases) {
        xml += "    <testcase name=\"" + escape(c.name) + "\" classname=\"" + escape(suite) +
               "\" time=\"" + seconds(c.seconds) + "\">\n";
        if (c.failed)
            xml += "      <failure message=\"" + escape(c.message) + "\" type=\"null test\">" +
                   escape(c.message, false) + "</failure>\n";
        if (!c.output.empty())
            xml += "      <system-out>" + escape(c.output, false) + "</system-out>\n";
        xml += "    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";
    return xml;
}

}  // namespace nullmeter
