#include "xcfg/DataNode.h"

#include <cctype>

namespace {

// The narrow integer types all accept the int range and are then cut to their width.
int narrowInteger(const std::string& text) { return std::stoi(text, nullptr, 0); }

}  // namespace

template <>
unsigned long DataNodeClass::getValue<unsigned long>() const {
  return std::stoull(data, nullptr, 0);
}
template <>
long DataNodeClass::getValue<long>() const {
  return std::stoll(data, nullptr, 0);
}
template <>
float DataNodeClass::getValue<float>() const {
  return std::stof(data);
}
template <>
double DataNodeClass::getValue<double>() const {
  return std::stod(data);
}
template <>
int DataNodeClass::getValue<int>() const {
  return narrowInteger(data);
}
template <>
unsigned int DataNodeClass::getValue<unsigned int>() const {
  return static_cast<unsigned int>(narrowInteger(data));
}
template <>
short DataNodeClass::getValue<short>() const {
  return static_cast<short>(narrowInteger(data));
}
template <>
unsigned short DataNodeClass::getValue<unsigned short>() const {
  return static_cast<unsigned short>(narrowInteger(data));
}
template <>
signed char DataNodeClass::getValue<signed char>() const {
  return static_cast<signed char>(narrowInteger(data));
}
template <>
unsigned char DataNodeClass::getValue<unsigned char>() const {
  return static_cast<unsigned char>(narrowInteger(data));
}
// What a string stream with std::boolalpha accepts as true: "true" after white space.
template <>
bool DataNodeClass::getValue<bool>() const {
  size_t start = 0;
  while (start < data.size() && std::isspace(static_cast<unsigned char>(data[start]))) ++start;
  return data.compare(start, 4, "true") == 0;
}
template <>
std::string DataNodeClass::getValue<std::string>() const {
  return data;
}

template <>
void DataNodeClass::setValue<unsigned long>(const unsigned long& value) {
  data = std::to_string(value);
}
template <>
void DataNodeClass::setValue<long>(const long& value) {
  data = std::to_string(value);
}
template <>
void DataNodeClass::setValue<float>(const float& value) {
  data = std::to_string(static_cast<double>(value));
}
template <>
void DataNodeClass::setValue<double>(const double& value) {
  data = std::to_string(value);
}
template <>
void DataNodeClass::setValue<unsigned int>(const unsigned int& value) {
  data = std::to_string(value);
}
template <>
void DataNodeClass::setValue<int>(const int& value) {
  data = std::to_string(value);
}
// The small types are written as numbers, never as characters.
template <>
void DataNodeClass::setValue<short>(const short& value) {
  data = std::to_string(static_cast<int>(value));
}
template <>
void DataNodeClass::setValue<unsigned short>(const unsigned short& value) {
  data = std::to_string(static_cast<int>(value));
}
template <>
void DataNodeClass::setValue<signed char>(const signed char& value) {
  data = std::to_string(static_cast<int>(value));
}
template <>
void DataNodeClass::setValue<unsigned char>(const unsigned char& value) {
  data = std::to_string(static_cast<int>(value));
}
template <>
void DataNodeClass::setValue<bool>(const bool& value) {
  data = value ? "true" : "false";
}
template <>
void DataNodeClass::setValue<std::string>(const std::string& value) {
  data = value;
}
