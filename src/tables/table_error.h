// Errors of the table engine: bad files, bad expressions, misuse of a table.
#pragma once

#include <stdexcept>
#include <string>

namespace corvane::tables {

class TableError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A key, condition or query text that does not parse or has the wrong type.
class ExpressionError : public TableError {
  public:
    using TableError::TableError;
};

}  // namespace corvane::tables
