// A strict check that a text is one well-formed XML document, enough for
// the SVG the planner writes: declaration, comments, elements with quoted
// attributes, text and the five predefined entities. Returns an empty
// string when well-formed, else a description of the first fault.
#pragma once

#include <string>

namespace ZalvoPlanTest {

std::string XmlWellFormednessFault(const std::string& text);

}  // namespace ZalvoPlanTest
