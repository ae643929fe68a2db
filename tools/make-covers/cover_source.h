// The readable source of a shipped cover design: a description line and
// one element per line, for example
//
//   description: Classic business cover
//   text    left=0 top=0 font=Arial size=60 bold text="FAX"
//   field   left=200 top=300 value=Recipient font=Arial size=22
//   line    left=0 top=260 width=1432 pen=4 direction=across
//   shape   left=0 top=280 width=1432 height=400 shape=round roundness=4 fill=none pen=2
//   flags   left=0 top=720 font=Arial size=20
//   message left=0 top=800 width=1432 height=900 font=Arial size=24
//
// '#' starts a comment line. Values with spaces are written in double quotes.
#pragma once

#include <string>
#include <vector>

#include "covers/files/template_file.h"

namespace corvane::covers {

struct CoverSource {
    std::string description;
    std::vector<TemplateElement> elements;
};

// Throws std::runtime_error naming the line and what is wrong with it.
CoverSource ParseCoverSource(const std::string& text);

}  // namespace corvane::covers
