#include "etrace/stream/et_record.h"

#include <cstring>

#include "etrace/stream/et_wire_format.h"

namespace {

// Message names all start with "SWT_L2T_" or "SWT_DCT_" (et_wire::records).
const size_t message_prefix_length = std::strlen("SWT_L2T_");

const char* const et_record_names[] = {"UIID",  "STAGE", "REG_ADDR", "REG_DATA", "EA", "PC", "PRIL",
                                       "CAUSE", "TRIG",  "PA",       "CHUNK",    "FR", "SD"};

std::string unknown_value(unsigned long value) { return "unknown (" + std::to_string(value) + ")"; }

}  // namespace

std::string mh_record_to_string(unsigned long code) {
  const et_wire_record_t* record = et_wire::find(code);
  return record ? std::string(record->name) : unknown_value(code);
}

mh_payload_shape_t mh_message_shape(unsigned long code) {
  const et_wire_record_t* record = et_wire::find(code);
  return record ? record->shape : MH_SHAPE_NONE;
}

const char* mh_message_name(unsigned long code) {
  const et_wire_record_t* record = et_wire::find(code);
  if (!record || record->shape == MH_SHAPE_NONE) return nullptr;
  return record->name + message_prefix_length;
}

std::string et_record_to_string(et_record_t record) {
  auto value = static_cast<unsigned long>(record);
  if (value < sizeof et_record_names / sizeof et_record_names[0]) return et_record_names[value];
  return unknown_value(value);
}
