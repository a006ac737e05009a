// Reading what a request asks for: a JSON object body with known fields of
// known types and ranges, and query parameters. Every error is one line
// naming the field, for a 400 answer.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "support/result.h"

namespace gb::view {

// The body as a JSON object holding only the named fields.
Result<nlohmann::json> parseObject(const std::string& body, std::initializer_list<const char*> fields);

// A field that must be there (or, with the optional variants, may be absent).
Result<int64_t> integerField(const nlohmann::json& object, const char* name, int64_t min, int64_t max);
Result<double> numberField(const nlohmann::json& object, const char* name, double min, double max);
Result<std::optional<double>> optionalNumberField(const nlohmann::json& object, const char* name, double min,
                                                  double max);
Result<bool> booleanField(const nlohmann::json& object, const char* name);

// The query holds only the named parameters, each at most once.
Status checkQuery(const httplib::Request& request, std::initializer_list<const char*> names);
// A whole decimal number in range, or `fallback` when absent.
Result<int64_t> integerParameter(const httplib::Request& request, const char* name, int64_t min, int64_t max,
                                 int64_t fallback);

}  // namespace gb::view
