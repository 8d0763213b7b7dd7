// The page's files, compiled into the program so that it needs nothing beside it.
#pragma once

#include <string_view>

namespace kravent::cli::tune {

struct Asset {
    std::string_view path;  // "/index.html", "/vendor/uPlot.iife.min.js", ...
    std::string_view type;  // its media type
    std::string_view body;
};

// The asset served at `path`, or nullptr.
const Asset* FindAsset(std::string_view path);

}  // namespace kravent::cli::tune
