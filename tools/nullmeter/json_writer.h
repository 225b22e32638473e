// A minimal streaming JSON writer: objects, arrays, strings, numbers, in
// document order, commas and nesting kept by a stack. Non-finite numbers are
// written as null, so the output is always valid JSON.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace nullmeter {

class JsonWriter {
  public:
    explicit JsonWriter(std::FILE* out) : out_(out) {}

    void beginObject(const char* key = nullptr) { open(key, '{'); }
    void endObject() { close('}'); }
    void beginArray(const char* key = nullptr) { open(key, '['); }
    void endArray() { close(']'); }

    void field(const char* key, const std::string& value) {
        prefix(key);
        string(value);
    }
    void field(const char* key, const char* value) { field(key, std::string(value)); }
    void field(const char* key, double value) {
        prefix(key);
        if (std::isfinite(value))
            std::fprintf(out_, "%.12g", value);
        else
            std::fputs("null", out_);
    }
    void field(const char* key, std::int64_t value) {
        prefix(key);
        std::fprintf(out_, "%lld", static_cast<long long>(value));
    }
    void field(const char* key, int value) { field(key, static_cast<std::int64_t>(value)); }
    void field(const char* key, bool value) {
        prefix(key);
        std::fputs(value ? "true" : "false", out_);
    }
    // A value already written as JSON (another report's object).
    void raw(const char* key, const std::string& json) {
        prefix(key);
        std::fputs(json.c_str(), out_);
    }
    static std::string quoted(const std::string& s) {
        std::string out = "\"";
        for (unsigned char c : s) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
        return out + "\"";
    }
    void null(const char* key) {
        prefix(key);
        std::fputs("null", out_);
    }
    void finish() { std::fputs("\n", out_); }

  private:
    void open(const char* key, char bracket) {
        prefix(key);
        std::fputc(bracket, out_);
        first_.push_back(true);
    }
    void close(char bracket) {
        first_.pop_back();
        std::fputc('\n', out_);
        indent();
        std::fputc(bracket, out_);
    }
    void prefix(const char* key) {
        if (!first_.empty()) {
            if (!first_.back())
                std::fputc(',', out_);
            first_.back() = false;
            std::fputc('\n', out_);
            indent();
        }
        if (key != nullptr) {
            string(key);
            std::fputs(": ", out_);
        }
    }
    void indent() {
        for (std::size_t i = 0; i < first_.size(); ++i)
            std::fputs("  ", out_);
    }
    void string(const std::string& s) { std::fputs(quoted(s).c_str(), out_); }

    std::FILE* out_;
    std::vector<bool> first_;
};

}  // namespace nullmeter
