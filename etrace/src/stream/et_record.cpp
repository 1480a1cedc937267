#include "stream/et_record.h"

#include <cstring>

namespace {

struct record_info_t {
  unsigned code;
  const char* name;
  mh_payload_shape_t shape;
};

// Every valid header code. Message names all start with "SWT_L2T_" or
// "SWT_DCT_"; what follows is their short name.
const record_info_t record_infos[] = {
    {MH_TSD1, "TSD1", MH_SHAPE_NONE},
    {MH_SWT_RVT, "SWT_RVT", MH_SHAPE_NONE},
    {MH_SWT_HART, "SWT_HART", MH_SHAPE_NONE},
    {MH_SWT_IS, "SWT_IS", MH_SHAPE_NONE},
    {MH_SWT_IRFRA, "SWT_IRFRA", MH_SHAPE_NONE},
    {MH_SWT_IRFRD, "SWT_IRFRD", MH_SHAPE_NONE},
    {MH_SWT_IRFWA, "SWT_IRFWA", MH_SHAPE_NONE},
    {MH_SWT_IRFWD, "SWT_IRFWD", MH_SHAPE_NONE},
    {MH_SWT_FRFRA, "SWT_FRFRA", MH_SHAPE_NONE},
    {MH_SWT_FRFRD, "SWT_FRFRD", MH_SHAPE_NONE},
    {MH_SWT_FRFWA, "SWT_FRFWA", MH_SHAPE_NONE},
    {MH_SWT_FRFWD, "SWT_FRFWD", MH_SHAPE_NONE},
    {MH_SWT_FR, "SWT_FR", MH_SHAPE_NONE},
    {MH_SWT_VA, "SWT_VA", MH_SHAPE_NONE},
    {MH_SWT_PA, "SWT_PA", MH_SHAPE_NONE},
    {MH_SWT_STD, "SWT_STD", MH_SHAPE_NONE},
    {MH_SWT_CM, "SWT_CM", MH_SHAPE_NONE},
    {MH_SWT_L2T_URQ, "SWT_L2T_URQ", MH_SHAPE_RQ},
    {MH_SWT_L2T_UWD, "SWT_L2T_UWD", MH_SHAPE_WD},
    {MH_SWT_L2T_URS, "SWT_L2T_URS", MH_SHAPE_RS},
    {MH_SWT_L2T_URD, "SWT_L2T_URD", MH_SHAPE_WD},
    {MH_SWT_L2T_URL, "SWT_L2T_URL", MH_SHAPE_RL},
    {MH_SWT_L2T_USR, "SWT_L2T_USR", MH_SHAPE_SR},
    {MH_SWT_L2T_DRQ, "SWT_L2T_DRQ", MH_SHAPE_RQ},
    {MH_SWT_L2T_DWD, "SWT_L2T_DWD", MH_SHAPE_WD},
    {MH_SWT_L2T_DRS, "SWT_L2T_DRS", MH_SHAPE_RS},
    {MH_SWT_L2T_DRD, "SWT_L2T_DRD", MH_SHAPE_WD},
    {MH_SWT_L2T_DRL, "SWT_L2T_DRL", MH_SHAPE_RL},
    {MH_SWT_L2T_DSR, "SWT_L2T_DSR", MH_SHAPE_SR},
    {MH_SWT_L2T_HM2, "SWT_L2T_HM2", MH_SHAPE_HM2},
    {MH_SWT_DCT_HART, "SWT_DCT_HART", MH_SHAPE_NONE},
    {MH_SWT_DCT_BRQ, "SWT_DCT_BRQ", MH_SHAPE_BRQ},
    {MH_SWT_DCT_WUP, "SWT_DCT_WUP", MH_SHAPE_WUP},
    {MH_SWT_DCT_DRQ, "SWT_DCT_DRQ", MH_SHAPE_RQ},
    {MH_SWT_DCT_DWD, "SWT_DCT_DWD", MH_SHAPE_WD},
    {MH_SWT_DCT_DRS, "SWT_DCT_DRS", MH_SHAPE_RS},
    {MH_SWT_DCT_DRD, "SWT_DCT_DRD", MH_SHAPE_WD},
    {MH_SWT_DCT_DRL, "SWT_DCT_DRL", MH_SHAPE_RL},
    {MH_SWT_DCT_DSR, "SWT_DCT_DSR", MH_SHAPE_SR},
};

const size_t message_prefix_length = std::strlen("SWT_L2T_");

// The reader asks for every message record, so the lookup is one index.
struct record_index_t {
  const record_info_t* by_code[256] = {};
  record_index_t()
  {
    for (const record_info_t& info : record_infos) by_code[info.code] = &info;
  }
};

const record_info_t* find_record(unsigned long code)
{
  static const record_index_t index;
  return code < 256 ? index.by_code[code] : nullptr;
}

const char* const et_record_names[] = {"UIID", "STAGE", "REG_ADDR", "REG_DATA", "EA",    "PC", "PRIL",
                                       "CAUSE", "TRIG", "PA",       "CHUNK",    "FR",    "SD"};

std::string unknown_value(unsigned long value) { return "unknown (" + std::to_string(value) + ")"; }

}  // namespace

std::string mh_record_to_string(unsigned long code)
{
  const record_info_t* info = find_record(code);
  return info ? std::string(info->name) : unknown_value(code);
}

mh_payload_shape_t mh_message_shape(unsigned long code)
{
  const record_info_t* info = find_record(code);
  return info ? info->shape : MH_SHAPE_NONE;
}

const char* mh_message_name(unsigned long code)
{
  const record_info_t* info = find_record(code);
  if (!info || info->shape == MH_SHAPE_NONE) return nullptr;
  return info->name + message_prefix_length;
}

std::string et_record_to_string(et_record_t record)
{
  auto value = static_cast<unsigned long>(record);
  if (value < sizeof et_record_names / sizeof et_record_names[0]) return et_record_names[value];
  return unknown_value(value);
}
