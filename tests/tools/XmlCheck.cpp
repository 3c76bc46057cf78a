#include "XmlCheck.h"

#include <cctype>
#include <vector>

namespace ZalvoPlanTest {
namespace {

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '-' || c == '_' || c == '.';
}

class XmlScanner {
public:
    explicit XmlScanner(const std::string& text) : text_(text) {}

    std::string Check() {
        if (text_.compare(0, 5, "<?xml") == 0) {
            const auto end = text_.find("?>");
            if (end == std::string::npos) return "unterminated declaration";
            at_ = end + 2;
        }
        bool sawRoot = false;
        while (at_ < text_.size()) {
            if (text_[at_] != '<') {
                if (const auto fault = Text(); !fault.empty()) return fault;
                continue;
            }
            if (text_.compare(at_, 4, "<!--") == 0) {
                const auto end = text_.find("-->", at_);
                if (end == std::string::npos) return "unterminated comment";
                at_ = end + 3;
                continue;
            }
            if (open_.empty() && sawRoot && text_[at_ + 1] != '/') return "a second root element";
            sawRoot = true;
            if (const auto fault = Tag(); !fault.empty()) return fault;
        }
        if (!open_.empty()) return "unclosed element <" + open_.back() + ">";
        return sawRoot ? "" : "no root element";
    }

private:
    std::string Text() {
        for (; at_ < text_.size() && text_[at_] != '<'; ++at_) {
            if (text_[at_] == '&' && !Entity()) return "a bare '&' in text";
            if (open_.empty() && !std::isspace(static_cast<unsigned char>(text_[at_]))) return "text outside the root";
        }
        return "";
    }

    bool Entity() {
        for (const char* entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
            if (text_.compare(at_, std::char_traits<char>::length(entity), entity) == 0) return true;
        }
        return false;
    }

    std::string Name() {
        const auto start = at_;
        while (at_ < text_.size() && IsNameCharacter(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }

    void SkipSpace() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }

    std::string Tag() {
        ++at_;  // '<'
        const bool closing = at_ < text_.size() && text_[at_] == '/';
        if (closing) ++at_;
        const std::string name = Name();
        if (name.empty()) return "a tag without a name";
        if (closing) {
            SkipSpace();
            if (at_ >= text_.size() || text_[at_] != '>') return "a malformed closing tag </" + name;
            ++at_;
            if (open_.empty() || open_.back() != name) return "</" + name + "> closes nothing open";
            open_.pop_back();
            return "";
        }
        std::vector<std::string> attributes;
        while (true) {
            SkipSpace();
            if (at_ >= text_.size()) return "an unterminated tag <" + name;
            if (text_.compare(at_, 2, "/>") == 0) {
                at_ += 2;
                return "";
            }
            if (text_[at_] == '>') {
                ++at_;
                open_.push_back(name);
                return "";
            }
            const std::string attribute = Name();
            if (attribute.empty()) return "a malformed attribute in <" + name;
            for (const auto& seen : attributes) {
                if (seen == attribute) return "attribute " + attribute + " twice in <" + name;
            }
            attributes.push_back(attribute);
            if (at_ + 1 >= text_.size() || text_[at_] != '=' || text_[at_ + 1] != '"') {
                return "attribute " + attribute + " without a quoted value";
            }
            at_ += 2;
            for (; at_ < text_.size() && text_[at_] != '"'; ++at_) {
                if (text_[at_] == '<') return "a '<' inside attribute " + attribute;
                if (text_[at_] == '&' && !Entity()) return "a bare '&' inside attribute " + attribute;
            }
            if (at_ >= text_.size()) return "an unterminated value of " + attribute;
            ++at_;
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
    std::vector<std::string> open_;
};

}  // namespace

std::string XmlWellFormednessFault(const std::string& text) { return XmlScanner(text).Check(); }

}  // namespace ZalvoPlanTest
