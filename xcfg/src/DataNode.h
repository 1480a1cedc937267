#pragma once
// A named value held as text. Typed reads parse the text every time; typed
// writes replace it. Base of every configuration node and type of attributes.

#include <string>

class DataNodeClass {
public:
  DataNodeClass(const std::string& name, const std::string& data) : name(name), data(data) {}
  virtual ~DataNodeClass() = default;

  const std::string& getName() const { return name; }
  void setName(const std::string& newName) { name = newName; }
  void setData(const std::string& newData) { data = newData; }

  // Defined for unsigned long, long, float, double, unsigned int, unsigned short,
  // unsigned char, int, short, signed char, bool and std::string only.
  template <typename T>
  T getValue() const;
  template <typename T>
  void setValue(const T& value);

protected:
  std::string name;
  std::string data;
};

#define XCFG_DECLARE_VALUE_TYPE(T)      \
  template <>                           \
  T DataNodeClass::getValue<T>() const; \
  template <>                           \
  void DataNodeClass::setValue<T>(const T& value);

XCFG_DECLARE_VALUE_TYPE(unsigned long)
XCFG_DECLARE_VALUE_TYPE(long)
XCFG_DECLARE_VALUE_TYPE(float)
XCFG_DECLARE_VALUE_TYPE(double)
XCFG_DECLARE_VALUE_TYPE(unsigned int)
XCFG_DECLARE_VALUE_TYPE(unsigned short)
XCFG_DECLARE_VALUE_TYPE(unsigned char)
XCFG_DECLARE_VALUE_TYPE(int)
XCFG_DECLARE_VALUE_TYPE(short)
XCFG_DECLARE_VALUE_TYPE(signed char)
XCFG_DECLARE_VALUE_TYPE(bool)
XCFG_DECLARE_VALUE_TYPE(std::string)

#undef XCFG_DECLARE_VALUE_TYPE
