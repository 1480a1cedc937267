#pragma once
// Names of the binary stream's record codes and of the parts of an
// instruction record.
#include <string>

// Header codes of the binary trace record stream (the first byte of a record).
enum mh_record_code_t : unsigned {
  MH_TSD1 = 16,
  MH_SWT_RVT = 31,
  MH_SWT_HART = 32,
  MH_SWT_IS = 33,
  MH_SWT_IRFRA = 34,
  MH_SWT_IRFRD = 35,
  MH_SWT_IRFWA = 36,
  MH_SWT_IRFWD = 37,
  MH_SWT_FRFRA = 38,
  MH_SWT_FRFRD = 39,
  MH_SWT_FRFWA = 40,
  MH_SWT_FRFWD = 41,
  MH_SWT_FR = 42,
  MH_SWT_VA = 43,
  MH_SWT_PA = 44,
  MH_SWT_STD = 45,
  MH_SWT_CM = 46,
  MH_SWT_L2T_URQ = 64,
  MH_SWT_L2T_UWD = 65,
  MH_SWT_L2T_URS = 66,
  MH_SWT_L2T_URD = 67,
  MH_SWT_L2T_URL = 68,
  MH_SWT_L2T_USR = 69,
  MH_SWT_L2T_DRQ = 70,
  MH_SWT_L2T_DWD = 71,
  MH_SWT_L2T_DRS = 72,
  MH_SWT_L2T_DRD = 73,
  MH_SWT_L2T_DRL = 74,
  MH_SWT_L2T_DSR = 75,
  MH_SWT_L2T_HM2 = 76,
  MH_SWT_DCT_HART = 80,
  MH_SWT_DCT_BRQ = 81,
  MH_SWT_DCT_WUP = 82,
  MH_SWT_DCT_DRQ = 83,
  MH_SWT_DCT_DWD = 84,
  MH_SWT_DCT_DRS = 85,
  MH_SWT_DCT_DRD = 86,
  MH_SWT_DCT_DRL = 87,
  MH_SWT_DCT_DSR = 88,
};

// Selectors of the register-read records (SWT_IRFRA/IRFRD, SWT_FRFRA/FRFRD).
enum mh_reg_selector_t : unsigned {
  MH_SEL_RS1 = 1,
  MH_SEL_RS2 = 2,
  MH_SEL_RS3 = 3,
  MH_SEL_FRS1 = 5,
  MH_SEL_FRS2 = 6,
  MH_SEL_FRS3 = 7,
  MH_SEL_RSD = 13,
};

// Payload shapes of the L2T and DCT message records.
enum mh_payload_shape_t : unsigned {
  MH_SHAPE_NONE,  // not a message record
  MH_SHAPE_RQ,
  MH_SHAPE_WD,  // cache-line chunk data (also the RD records)
  MH_SHAPE_RS,
  MH_SHAPE_RL,
  MH_SHAPE_SR,
  MH_SHAPE_HM2,
  MH_SHAPE_BRQ,
  MH_SHAPE_WUP,
};

// The payload shape of an L2T (64..76) or DCT (81..88) record code;
// MH_SHAPE_NONE for any other code.
mh_payload_shape_t mh_message_shape(unsigned long code);

// The short name of an L2T or DCT record code ("URQ", "BRQ", ...), the name
// used in the message texts; null for any other code.
const char* mh_message_name(unsigned long code);

// The parts of an instruction record.
enum class et_record_t : unsigned {
  UIID = 0,
  STAGE = 1,
  REG_ADDR = 2,
  REG_DATA = 3,
  EA = 4,
  PC = 5,
  PRIL = 6,
  CAUSE = 7,
  TRIG = 8,
  PA = 9,
  CHUNK = 10,
  FR = 11,
  SD = 12,
};

// "TSD1", "SWT_IS", ...; "unknown (<code>)" for a code that is not a record.
std::string mh_record_to_string(unsigned long code);

// "UIID" ... "SD"; "unknown (<value>)" otherwise.
std::string et_record_to_string(et_record_t record);
