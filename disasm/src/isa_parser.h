// Which extensions a core has: the feature interface the disassembler asks while
// it builds its instruction table, the parser of ISA strings behind it, and the
// "everything enabled" form used when only a register width is known.
#pragma once

#include <cstdint>
#include <string>

// Extension codes. A single-letter extension is named by its upper-case ASCII
// letter ('A' = 65 ... 'Z' = 90) and has no enumerator; multi-letter extensions
// are EXT_ + their ISA-string name in capitals. Every code is below 192.
enum isa_extension_t : unsigned {
  EXT_ZFH = 91,
  EXT_ZFHMIN = 92,
  EXT_ZBA = 93,
  EXT_ZBB = 94,
  EXT_ZBC = 95,
  EXT_ZBS = 96,
  EXT_ZBKB = 97,
  EXT_ZBKC = 98,
  EXT_ZBKX = 99,
  EXT_ZCA = 100,
  EXT_ZCB = 101,
  EXT_ZCD = 102,
  EXT_ZCF = 103,
  EXT_ZCMLSD = 104,
  EXT_ZCMP = 105,
  EXT_ZCMT = 106,
  EXT_ZKND = 107,
  EXT_ZKNE = 108,
  EXT_ZKNH = 109,
  EXT_ZKSED = 110,
  EXT_ZKSH = 111,
  EXT_ZKR = 112,
  EXT_ZMMUL = 113,
  EXT_ZBPBO = 114,
  EXT_ZPN = 115,
  EXT_ZPSFOPERAND = 116,
  EXT_ZVFH = 117,
  EXT_ZVFHMIN = 118,
  EXT_SMEPMP = 119,
  EXT_SMSTATEEN = 120,
  EXT_SMRNMI = 121,
  EXT_SSCOFPMF = 122,
  EXT_SVADU = 123,
  EXT_SVNAPOT = 124,
  EXT_SVPBMT = 125,
  EXT_SVINVAL = 126,
  EXT_ZDINX = 127,
  EXT_ZFA = 128,
  EXT_ZFBFMIN = 129,
  EXT_ZFINX = 130,
  EXT_ZHINX = 131,
  EXT_ZHINXMIN = 132,
  EXT_ZICBOM = 133,
  EXT_ZICBOZ = 134,
  EXT_ZICNTR = 135,
  EXT_ZICOND = 136,
  EXT_ZIHPM = 137,
  EXT_ZILSD = 138,
  EXT_ZVBB = 139,
  EXT_ZVBC = 140,
  EXT_ZVFBFMIN = 141,
  EXT_ZVFBFWMA = 142,
  EXT_XKGOSTK = 143,  // the kuzn* instructions (own custom extension)
  EXT_XKGOSTM = 144,  // the magma* instructions (own custom extension)
  EXT_XKGOSTS = 145,  // the sbg* instructions (own custom extension)
  EXT_ZVKG = 146,
  EXT_ZVKNED = 147,
  EXT_ZVKNHA = 148,
  EXT_ZVKNHB = 149,
  EXT_ZVKSED = 150,
  EXT_ZVKSH = 151,
  // 152 to 159 are not assigned.
  EXT_SSTC = 160,
  EXT_ZAAMO = 161,
  EXT_ZALRSC = 162,
  EXT_ZACAS = 163,
  EXT_ZABHA = 164,
  EXT_ZAWRS = 165,
  // No ISA-string name: set by zfhmin, zfbfmin or zvfbfmin; gates flh, fsh,
  // fmv.h.x and fmv.x.h.
  EXT_HALF_FP_TRANSFER = 166,
  EXT_SMCSRIND = 167,
  EXT_SSCSRIND = 168,
  EXT_SMCNTRPMF = 169,
  EXT_ZIMOP = 170,
  EXT_ZCMOP = 171,
  EXT_ZALASR = 172,
  EXT_SSQOSID = 173,
  EXT_ZICFILP = 174,
  EXT_ZICFISS = 175,
  EXT_SSDBLTRP = 176,
  EXT_SMMPM = 177,
  EXT_SMNPM = 178,
  EXT_SSNPM = 179,
  EXT_SMAIA = 180,
  EXT_SSAIA = 181,
};

// What the disassembler may ask about a core while it builds its table.
class isa_parser_i {
public:
  // Single-letter extension, given by its upper-case letter.
  virtual bool extension_enabled(unsigned char letter) const = 0;
  virtual bool extension_enabled(isa_extension_t ext) const = 0;
  // 32 or 64.
  virtual uint32_t get_max_xlen() const = 0;
  virtual bool has_any_vector() const = 0;
  virtual ~isa_parser_i() = default;
};

// A parsed ISA string ("rv64imafdc_zba...") and privilege-mode text ("MSU").
// A bad ISA string is a configuration error nobody can recover from: init
// prints one line on standard error and ends the process.
class isa_parser_t : public isa_parser_i {
public:
  // Takes the error line (newline included) in place of printing it and
  // ending the process, for a caller that has to outlive a bad string. It
  // must not return (it throws, say); if it does, the default stop follows.
  using error_handler_t = void (*)(const std::string& line);

  isa_parser_t();

  // Returns only on success (then true); every error ends the process, or
  // goes to the error handler when one is set. A parser left by a throwing
  // handler holds a partial result.
  bool init(const std::string& isa, const std::string& priv);

  // For every parser; null restores the default. Returns the one replaced.
  static error_handler_t set_error_handler(error_handler_t handler);

  bool extension_enabled(unsigned char letter) const override;
  bool extension_enabled(isa_extension_t ext) const override;
  uint32_t get_max_xlen() const override { return max_xlen; }
  bool has_any_vector() const override { return vlen != 0; }

  // misa-style word: the base width bit plus bit (letter - 'A') per letter.
  uint64_t get_max_isa() const { return max_isa; }
  // Vector register length and maximum element width in bits (0: no vectors).
  uint64_t get_vlen() const { return vlen; }
  uint64_t get_elen() const { return elen; }
  bool get_zvf() const { return zvf; }
  bool get_zvd() const { return zvd; }
  // The ISA text lower-cased and with "g" expanded to "imafd".
  const std::string& get_isa_string() const { return isa_string; }

private:
  static constexpr unsigned ext_code_limit = 192;

  uint32_t max_xlen = 0;
  uint64_t max_isa = 0;
  uint64_t vlen = 0;
  uint64_t elen = 0;
  bool zvf = false;
  bool zvd = false;
  uint64_t extension_set[ext_code_limit / 64];
  std::string isa_string;

  friend class isa_string_parse_t;
};

// Answers yes to every question; for a disassembler built from a bare width.
class enable_all_exts : public isa_parser_i {
public:
  explicit enable_all_exts(uint32_t max_xlen) : max_xlen(max_xlen) {}

  bool extension_enabled(unsigned char) const override { return true; }
  bool extension_enabled(isa_extension_t) const override { return true; }
  uint32_t get_max_xlen() const override { return max_xlen; }
  bool has_any_vector() const override { return true; }

private:
  uint32_t max_xlen;
};
