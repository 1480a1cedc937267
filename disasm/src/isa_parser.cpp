#include "disasm/isa_parser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

// What a multi-letter name needs before it may be applied.
enum class name_need_t { nothing, f, rv32 };

// One known multi-letter name and the codes it enables (0 ends the list; an
// empty list means the name is accepted without effect).
struct name_rule_t {
  const char* name;
  name_need_t need;
  unsigned codes[8];
};

constexpr name_need_t none = name_need_t::nothing;

// Exact names. Those that begin with "zvl", "zve" or "x" are handled by
// their own rules after this table.
constexpr name_rule_t name_rules[] = {
    // Accepted without effect: nothing in the table depends on them.
    {"zicsr", none, {}},
    {"zifencei", none, {}},
    {"zihintpause", none, {}},
    {"zihintntl", none, {}},
    {"zkt", none, {}},
    {"zicbop", none, {}},
    {"zvkt", none, {}},
    {"zfh", name_need_t::f, {EXT_ZFH, EXT_ZFHMIN}},
    {"zfhmin", name_need_t::f, {EXT_ZFHMIN}},
    {"zvfh", none, {EXT_ZVFH, EXT_ZVFHMIN, EXT_ZFHMIN}},
    {"zvfhmin", none, {EXT_ZVFHMIN}},
    {"zcf", name_need_t::rv32, {EXT_ZCF}},
    {"zilsd", name_need_t::rv32, {EXT_ZILSD}},
    // Groups. "zce" also takes zcf on RV32 with F; see apply_name.
    {"zdinx", none, {EXT_ZDINX, EXT_ZFINX}},
    {"zhinx", none, {EXT_ZFINX, EXT_ZHINX, EXT_ZHINXMIN}},
    {"zhinxmin", none, {EXT_ZFINX, EXT_ZHINXMIN}},
    {"zce", none, {EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT}},
    {"zk", none, {EXT_ZBKB, EXT_ZBKC, EXT_ZBKX, EXT_ZKND, EXT_ZKNE, EXT_ZKNH, EXT_ZKR}},
    {"zkn", none, {EXT_ZBKB, EXT_ZBKC, EXT_ZBKX, EXT_ZKND, EXT_ZKNE, EXT_ZKNH}},
    {"zks", none, {EXT_ZBKB, EXT_ZBKC, EXT_ZBKX, EXT_ZKSED, EXT_ZKSH}},
    {"zvkn", none, {EXT_ZVBB, EXT_ZVKNED, EXT_ZVKNHB}},
    {"zvknc", none, {EXT_ZVBB, EXT_ZVBC, EXT_ZVKNED, EXT_ZVKNHB}},
    {"zvkng", none, {EXT_ZVBB, EXT_ZVKG, EXT_ZVKNED, EXT_ZVKNHB}},
    {"zvks", none, {EXT_ZVBB, EXT_ZVKSED, EXT_ZVKSH}},
    {"zvksc", none, {EXT_ZVBB, EXT_ZVBC, EXT_ZVKSED, EXT_ZVKSH}},
    {"zvksg", none, {EXT_ZVBB, EXT_ZVKG, EXT_ZVKSED, EXT_ZVKSH}},
    {"smaia", none, {EXT_SMAIA, EXT_SMCSRIND, EXT_SSCSRIND}},
    {"ssaia", none, {EXT_SSAIA, EXT_SSCSRIND}},
    // Names that enable just their own code.
    {"zba", none, {EXT_ZBA}},
    {"zbb", none, {EXT_ZBB}},
    {"zbc", none, {EXT_ZBC}},
    {"zbs", none, {EXT_ZBS}},
    {"zbkb", none, {EXT_ZBKB}},
    {"zbkc", none, {EXT_ZBKC}},
    {"zbkx", none, {EXT_ZBKX}},
    {"zca", none, {EXT_ZCA}},
    {"zcb", none, {EXT_ZCB}},
    {"zcd", none, {EXT_ZCD}},
    {"zcmlsd", none, {EXT_ZCMLSD}},
    {"zcmp", none, {EXT_ZCMP}},
    {"zcmt", none, {EXT_ZCMT}},
    {"zknd", none, {EXT_ZKND}},
    {"zkne", none, {EXT_ZKNE}},
    {"zknh", none, {EXT_ZKNH}},
    {"zksed", none, {EXT_ZKSED}},
    {"zksh", none, {EXT_ZKSH}},
    {"zkr", none, {EXT_ZKR}},
    {"zmmul", none, {EXT_ZMMUL}},
    {"zbpbo", none, {EXT_ZBPBO}},
    {"zpn", none, {EXT_ZPN}},
    {"zpsfoperand", none, {EXT_ZPSFOPERAND}},
    {"smepmp", none, {EXT_SMEPMP}},
    {"smstateen", none, {EXT_SMSTATEEN}},
    {"smrnmi", none, {EXT_SMRNMI}},
    {"sscofpmf", none, {EXT_SSCOFPMF}},
    {"svadu", none, {EXT_SVADU}},
    {"svnapot", none, {EXT_SVNAPOT}},
    {"svpbmt", none, {EXT_SVPBMT}},
    {"svinval", none, {EXT_SVINVAL}},
    {"zfa", none, {EXT_ZFA}},
    {"zfbfmin", none, {EXT_ZFBFMIN}},
    {"zfinx", none, {EXT_ZFINX}},
    {"zicbom", none, {EXT_ZICBOM}},
    {"zicboz", none, {EXT_ZICBOZ}},
    {"zicntr", none, {EXT_ZICNTR}},
    {"zicond", none, {EXT_ZICOND}},
    {"zihpm", none, {EXT_ZIHPM}},
    {"zvbb", none, {EXT_ZVBB}},
    {"zvbc", none, {EXT_ZVBC}},
    {"zvfbfmin", none, {EXT_ZVFBFMIN}},
    {"zvfbfwma", none, {EXT_ZVFBFWMA}},
    {"zvkg", none, {EXT_ZVKG}},
    {"zvkned", none, {EXT_ZVKNED}},
    {"zvknha", none, {EXT_ZVKNHA}},
    {"zvknhb", none, {EXT_ZVKNHB}},
    {"zvksed", none, {EXT_ZVKSED}},
    {"zvksh", none, {EXT_ZVKSH}},
    {"sstc", none, {EXT_SSTC}},
    {"zaamo", none, {EXT_ZAAMO}},
    {"zalrsc", none, {EXT_ZALRSC}},
    {"zacas", none, {EXT_ZACAS}},
    {"zabha", none, {EXT_ZABHA}},
    {"zawrs", none, {EXT_ZAWRS}},
    {"smcsrind", none, {EXT_SMCSRIND}},
    {"sscsrind", none, {EXT_SSCSRIND}},
    {"smcntrpmf", none, {EXT_SMCNTRPMF}},
    {"zimop", none, {EXT_ZIMOP}},
    {"zcmop", none, {EXT_ZCMOP}},
    {"zalasr", none, {EXT_ZALASR}},
    {"ssqosid", none, {EXT_SSQOSID}},
    {"zicfilp", none, {EXT_ZICFILP}},
    {"zicfiss", none, {EXT_ZICFISS}},
    {"ssdbltrp", none, {EXT_SSDBLTRP}},
    {"smmpm", none, {EXT_SMMPM}},
    {"smnpm", none, {EXT_SMNPM}},
    {"ssnpm", none, {EXT_SSNPM}},
};

struct custom_name_t {
  const char* name;
  isa_extension_t code;
};

constexpr custom_name_t custom_names[] = {
    {"xkgostk", EXT_XKGOSTK},
    {"xkgostm", EXT_XKGOSTM},
    {"xkgosts", EXT_XKGOSTS},
};

// Single letters must come in this order (a letter may repeat in place).
constexpr const char* letter_order = "mafdqcbpvhn";

constexpr uint64_t misa_rv32 = 0x40000000ull;
constexpr uint64_t misa_rv64 = 0x8000000000000000ull;
constexpr uint64_t max_supported_vlen = 4096;

bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

isa_parser_t::error_handler_t error_handler = nullptr;

// Prints the one-line error and ends the process: a core described wrongly
// would make every later disassembly meaningless.
[[noreturn]] void isa_error_stop(const std::string& isa, const std::string& message) {
  // Texts end at a NUL, as printf would print them.
  const std::string line =
      std::string("error: bad --isa option '") + isa.c_str() + "'. " + message.c_str() + "\n";
  if (error_handler != nullptr) error_handler(line);
  std::fputs(line.c_str(), stderr);
  std::exit(EXIT_FAILURE);
}

}  // namespace

// The state of one init call: the parser being filled, the text as passed
// (for messages) and the read position in the lower-cased text.
class isa_string_parse_t {
public:
  isa_string_parse_t(isa_parser_t& parser, const std::string& isa)
      : p(parser), isa(isa), text(parser.isa_string) {}

  void run(const std::string& priv) {
    text = isa;
    for (char& c : text) c = static_cast<char>(to_lower(c));
    enable(EXT_ZICNTR);
    enable(EXT_ZIHPM);
    parse_base();
    parse_letters();
    parse_names();
    check_closing_rules();
    apply_priv(priv);
    p.max_isa = p.max_xlen == 32 ? misa_rv32 : misa_rv64;
    for (unsigned letter = 'A'; letter <= 'Z'; ++letter)
      if (has(letter)) p.max_isa |= uint64_t{1} << (letter - 'A');
  }

private:
  static int to_lower(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
  static unsigned letter_code(char lower) { return static_cast<unsigned>(lower - 'a' + 'A'); }

  [[noreturn]] void stop(const std::string& message) const { isa_error_stop(isa, message); }

  void enable(unsigned code) { p.extension_set[code / 64] |= uint64_t{1} << (code % 64); }
  bool has(unsigned code) const { return p.extension_enabled(static_cast<isa_extension_t>(code)); }

  void parse_base() {
    if (starts_with(text, "rv32"))
      p.max_xlen = 32;
    else if (starts_with(text, "rv64"))
      p.max_xlen = 64;
    else
      stop("ISA strings must begin with RV32 or RV64");
    p.vlen = p.elen = 0;
    p.zvf = p.zvd = false;

    char const base = text.size() > 4 ? text[4] : '\0';
    if (base == 'g') {
      text = text.substr(0, 4) + "imafd" + text.substr(5);
      enable('I');
    } else if (base == 'i') {
      enable('I');
    } else if (base == 'e') {
      enable('E');
    } else {
      stop("'" + text.substr(0, 4) + "' must be followed by I, E, or G");
    }
    pos = 5;
  }

  void parse_letters() {
    std::string const order = letter_order;
    size_t cursor = 0;
    while (pos < text.size()) {
      char const c = text[pos];
      if (c < 'a' || c > 'z' || c == 'z' || c == 's' || c == 'x') break;
      size_t const found = order.find(c, cursor);
      if (found == std::string::npos) {
        if (order.find(c) != std::string::npos)
          stop(std::string("Extension '") + c + "' appears too late in ISA string");
        stop(std::string("Unsupported extension '") + c + "'");
      }
      cursor = found;
      enable_letter(c);
      ++pos;
      // A version such as "2p0" after the letter, then one separator.
      while (pos < text.size() && is_digit(text[pos])) {
        ++pos;
        if (pos < text.size() && text[pos] == 'p') ++pos;
      }
      if (pos < text.size() && text[pos] == '_') ++pos;
    }
    if (pos < text.size()) {
      char const c = text[pos];
      if (c != 'z' && c != 's' && c != 'x' && c != '_') {
        unparsed = text.substr(pos);
        pos = text.size();
      }
    }
  }

  void enable_letter(char c) {
    enable(letter_code(c));
    switch (c) {
      case 'd': enable('F'); break;
      case 'q':
        enable('D');
        enable('F');
        break;
      case 'p':
        enable(EXT_ZMMUL);
        enable(EXT_ZBPBO);
        enable(EXT_ZPN);
        enable(EXT_ZPSFOPERAND);
        break;
      case 'v':
        enable('D');
        enable('F');
        p.vlen = 128;
        p.elen = 64;
        p.zvf = p.zvd = true;
        break;
      default: break;
    }
  }

  void parse_names() {
    while (pos < text.size()) {
      if (text[pos] == '_') ++pos;
      // A trailing "_" ends the text without naming anything.
      if (pos >= text.size()) break;
      size_t end = text.find('_', pos);
      if (end == std::string::npos) end = text.size();
      apply_name(text.substr(pos, end - pos));
      pos = end;
    }
  }

  void apply_name(const std::string& name) {
    for (name_rule_t const& rule : name_rules) {
      if (name != rule.name) continue;
      if (rule.need == name_need_t::f && !has('F')) stop("'" + name + "' extension requires 'F'");
      if (rule.need == name_need_t::rv32 && p.max_xlen != 32)
        stop(name == "zcf" ? "'Zcf' requires RV32" : "'Zilsd' requires RV32");
      for (unsigned code : rule.codes)
        if (code != 0) enable(code);
      if (name == "zce" && has('F') && p.max_xlen == 32) enable(EXT_ZCF);
      return;
    }
    if (starts_with(name, "zvl")) return apply_zvl(name);
    if (starts_with(name, "zve")) return apply_zve(name);
    if (!starts_with(name, "x")) stop("unsupported extension: " + name);
    apply_custom(name);
  }

  // The number between a three-letter prefix and the name's last character.
  static long number_in(const std::string& name) {
    if (name.size() < 4) throw std::invalid_argument("no number");
    return std::stol(name.substr(3, name.size() - 4));
  }

  void apply_zvl(const std::string& name) {
    long n = 0;
    try {
      n = number_in(name);
    } catch (std::logic_error const&) {
      stop("Invalid Zvl string: " + name);
    }
    if (n < 32 || (n & (n - 1)) != 0) stop("Invalid Zvl string: " + name);
    p.vlen = std::max(p.vlen, static_cast<uint64_t>(n));
  }

  void apply_zve(const std::string& name) {
    long n = 0;
    try {
      n = number_in(name);
    } catch (std::logic_error const&) {
      n = 0;
    }
    std::string const kind = name.size() > 5 ? name.substr(5) : std::string();
    if (kind == "d")
      p.zvf = p.zvd = true;
    else if (kind == "f")
      p.zvf = true;
    else if (kind != "x")
      stop("Invalid Zve string: " + name);
    if (n != 32 && n != 64) stop("Invalid Zve string: " + name);
    p.elen = std::max(p.elen, static_cast<uint64_t>(n));
  }

  void apply_custom(const std::string& name) {
    enable('X');
    if (name == "x") stop("single 'X' is not a proper name");
    for (custom_name_t const& custom : custom_names) {
      if (name == custom.name) {
        enable(custom.code);
        return;
      }
    }
    stop("unsupported custom extension: " + name);
  }

  void check_closing_rules() {
    bool const rv32 = p.max_xlen == 32;
    bool const rv64 = p.max_xlen == 64;

    if (!has(EXT_ZBPBO)) {
      if (has(EXT_ZPN) || has(EXT_ZPSFOPERAND)) stop("Illegal p-ext combination");
    } else if (!has(EXT_ZPN) || (!has(EXT_ZPSFOPERAND) && !rv32) ||
               (!has('M') && !has(EXT_ZMMUL))) {
      stop("Illegal p-ext combination");
    }

    if (unparsed) stop("can't parse: " + *unparsed);

    if (has('A')) {
      enable(EXT_ZAAMO);
      enable(EXT_ZALRSC);
    } else if (has(EXT_ZAAMO) && has(EXT_ZALRSC)) {
      enable('A');
    }

    if (has('B')) {
      enable(EXT_ZBA);
      enable(EXT_ZBB);
      enable(EXT_ZBS);
    } else if (has(EXT_ZBA) && has(EXT_ZBB) && has(EXT_ZBS)) {
      enable('B');
    }

    if (has('C')) {
      enable(EXT_ZCA);
      if (has('F') && rv32) enable(EXT_ZCF);
      if (has('D')) enable(EXT_ZCD);
    }

    if (has(EXT_ZCMLSD)) {
      if (has(EXT_ZCF)) stop("'Zcmlsd' extension conflicts with 'Zcf' extensions");
      if (!has(EXT_ZCA) || !has(EXT_ZILSD))
        stop("'Zcmlsd' extension requires 'Zca' and 'Zilsd' extensions");
    }

    if (has(EXT_ZFBFMIN) && !has('F')) stop("'Zfbfmin' extension requires 'F' extension");
    if ((has(EXT_ZVFBFMIN) || has(EXT_ZVFBFWMA)) && !has('V'))
      stop("'Zvfbfmin/Zvfbfwma' extension requires 'V' extension");
    if (has(EXT_ZFHMIN) || has(EXT_ZFBFMIN) || has(EXT_ZVFBFMIN)) enable(EXT_HALF_FP_TRANSFER);

    if (has(EXT_ZFINX) && has('F'))
      stop("Zfinx/Zdinx/Zhinx{min} extensions conflict with 'F/D/Q/Zfh{min}' extensions");

    if (has(EXT_ZCF) && !has('F')) stop("'Zcf' extension requires 'F' extension");

    if (has(EXT_ZCD)) {
      if (!has('D')) stop("'Zcd' extension requires 'D' extension");
      if (has(EXT_ZCMP) || has(EXT_ZCMT))
        stop("Zcmp' and 'Zcmt' extensions are incompatible with 'Zcd' extension");
    }

    if ((has(EXT_ZCF) || has(EXT_ZCD) || has(EXT_ZCB) || has(EXT_ZCMP) || has(EXT_ZCMT)) &&
        !has(EXT_ZCA))
      stop("'Zcf/Zcd/Zcb/Zcmp/Zcmt' extensions require 'Zca' extension");

    if (has(EXT_ZACAS) && !has(EXT_ZAAMO))
      stop("'Zacas' extension requires either the 'A' or the 'Zaamo' extension");
    if (has(EXT_ZABHA) && !has(EXT_ZAAMO))
      stop("'Zabha' extension requires either the 'A' or the 'Zaamo' extension");
    if (has(EXT_ZAWRS) && !has(EXT_ZALRSC))
      stop("'Zawrs' extension requires either the 'A' or the 'Zalrsc' extension");

    if (has(EXT_ZPN)) {
      if (has(EXT_ZVKNHA) || has(EXT_ZVKNHB))
        stop("'Zvkna' and 'Zvknhb' extensions are incompatible with 'Zpn' extension");
      if (rv64 && (has(EXT_ZVKG) || has(EXT_ZVKNED) || has(EXT_ZVKSH)))
        stop(
            "'Zvkg', 'Zvkned', and 'Zvksh' extensions are incompatible with 'Zpn' extension in "
            "rv64");
    }

    if (has(EXT_ZICFISS)) {
      if (!has(EXT_ZIMOP)) stop("'Zicfiss' extension requires 'Zimop' extension");
      if (has(EXT_ZCA) && !has(EXT_ZCMOP))
        stop("'Zicfiss' extension requires 'Zcmop' extension when `Zca` is supported");
    }

    if (p.vlen > max_supported_vlen) stop("Tamrin does not currently support VLEN > 4096b");
    if ((p.vlen != 0) != (p.elen != 0)) stop("Invalid Zvl/Zve configuration");
    if (has(EXT_ZVFHMIN) && !(p.vlen != 0 && p.elen != 0 && p.zvf))
      stop("'Zvfhmin' extension requires Zve32f");
    if (p.zvd && !has('D') && p.elen < 64) stop("'ZveXXd' extension requires D");
    if (p.zvf && !has('F')) stop("'ZveXXf' extension requires F");
  }

  void apply_priv(const std::string& priv) {
    std::string lower = priv;
    for (char& c : lower) c = static_cast<char>(to_lower(c));
    if (lower.find('u') != std::string::npos) enable('U');
    if (lower.find('s') != std::string::npos)
      enable('S');
    else if (has('H'))
      stop("'H' extension requires S mode");
  }

  isa_parser_t& p;
  std::string const isa;  // as passed, for messages
  std::string& text;
  size_t pos = 0;
  // Set when the single letters stopped at a character no rule accepts.
  std::optional<std::string> unparsed;
};

isa_parser_t::isa_parser_t() : extension_set{} {}

isa_parser_t::error_handler_t isa_parser_t::set_error_handler(error_handler_t handler) {
  return std::exchange(error_handler, handler);
}

bool isa_parser_t::init(const std::string& isa, const std::string& priv) {
  isa_string_parse_t(*this, isa).run(priv);
  return true;
}

bool isa_parser_t::extension_enabled(unsigned char letter) const {
  return extension_enabled(static_cast<isa_extension_t>(letter));
}

bool isa_parser_t::extension_enabled(isa_extension_t ext) const {
  unsigned const code = ext;
  if (code >= ext_code_limit) return false;
  return (extension_set[code / 64] >> (code % 64)) & 1;
}
