// The reader of serial mode definitions.
#include "data/serial_mode.h"

#include <cctype>
#include <string>
#include <vector>

namespace vestil {
namespace {

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool Digits(std::string_view s, uint32_t& v) {
  if (s.empty() || s.size() > 9) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  return true;
}

bool Baud(std::string_view s, uint32_t& baud) {
  uint32_t v;
  if (!Digits(s, v) || v == 0) return false;
  switch (v) {  // the two-digit short forms
    case 11: v = 110; break;
    case 15: v = 150; break;
    case 30: v = 300; break;
    case 60: v = 600; break;
    case 12: v = 1200; break;
    case 24: v = 2400; break;
    case 48: v = 4800; break;
    case 96: v = 9600; break;
    case 19: v = 19200; break;
    default: break;
  }
  baud = v;
  return true;
}

bool Parity(std::string_view s, uint8_t& parity) {
  const std::string l = Lower(s);
  if (l == "n") parity = CommState::kNoParity;
  else if (l == "o") parity = CommState::kOdd;
  else if (l == "e") parity = CommState::kEven;
  else if (l == "m") parity = CommState::kMark;
  else if (l == "s") parity = CommState::kSpace;
  else return false;
  return true;
}

bool DataBits(std::string_view s, uint8_t& bits) {
  uint32_t v;
  if (!Digits(s, v) || v < 5 || v > 8) return false;
  bits = static_cast<uint8_t>(v);
  return true;
}

bool StopBits(std::string_view s, uint8_t& stop) {
  if (s == "1") stop = CommState::kOneStopBit;
  else if (s == "1.5") stop = CommState::kOneAndHalfStopBits;
  else if (s == "2") stop = CommState::kTwoStopBits;
  else return false;
  return true;
}

bool OnOff(std::string_view s, bool& on) {
  const std::string l = Lower(s);
  if (l == "on") on = true;
  else if (l == "off") on = false;
  else return false;
  return true;
}

void SetBit(uint32_t& flags, uint32_t bit, bool on) { flags = on ? flags | bit : flags & ~bit; }

void SetField(uint32_t& flags, uint32_t mask, int shift, uint32_t v) {
  flags = (flags & ~mask) | ((v << shift) & mask);
}

// The older form: rate[,parity[,data[,stop[,retry]]]]; an empty field keeps
// its value.
bool ParseOld(std::string_view def, CommState& s, bool& baud_given, bool& stop_given) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t comma = def.find(',');
    fields.push_back(Trim(def.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    def.remove_prefix(comma + 1);
  }
  if (fields.size() > 5 || !Baud(fields[0], s.baud)) return false;
  baud_given = true;
  if (fields.size() > 1 && !fields[1].empty() && !Parity(fields[1], s.parity)) return false;
  if (fields.size() > 2 && !fields[2].empty() && !DataBits(fields[2], s.data_bits)) return false;
  if (fields.size() > 3 && !fields[3].empty()) {
    if (!StopBits(fields[3], s.stop_bits)) return false;
    stop_given = true;
  }
  if (fields.size() > 4 && !fields[4].empty()) {
    const std::string retry = Lower(fields[4]);
    if (retry == "x") {
      s.flags |= CommState::kOutX | CommState::kInX;
    } else if (retry == "p") {
      s.flags |= CommState::kOutCtsFlow | CommState::kOutDsrFlow;
      SetField(s.flags, CommState::kDtrControlMask, CommState::kDtrControlShift, 2);
      SetField(s.flags, CommState::kRtsControlMask, CommState::kRtsControlShift, 2);
    } else if (retry != "e" && retry != "b" && retry != "r" && retry != "n") {
      return false;
    }
  }
  return true;
}

// The keyed form: blank-separated key=value pairs.
bool ParseKeyed(std::string_view def, CommState& s, CommTimeouts& t, bool& baud_given, bool& stop_given) {
  while (!(def = Trim(def)).empty()) {
    size_t end = 0;
    while (end < def.size() && static_cast<unsigned char>(def[end]) > ' ') ++end;
    const std::string_view pair = def.substr(0, end);
    def.remove_prefix(end);
    const size_t eq = pair.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string key = Lower(pair.substr(0, eq));
    const std::string_view value = pair.substr(eq + 1);
    const std::string lvalue = Lower(value);
    bool on = false;
    if (key == "baud") {
      if (!Baud(value, s.baud)) return false;
      baud_given = true;
    } else if (key == "parity") {
      if (!Parity(value, s.parity)) return false;
    } else if (key == "data") {
      if (!DataBits(value, s.data_bits)) return false;
    } else if (key == "stop") {
      if (!StopBits(value, s.stop_bits)) return false;
      stop_given = true;
    } else if (key == "to") {
      if (!OnOff(value, on)) return false;
      t = CommTimeouts{};
      if (on) t.write_constant = 60000;
    } else if (key == "xon") {
      if (!OnOff(value, on)) return false;
      SetBit(s.flags, CommState::kOutX | CommState::kInX, on);
    } else if (key == "odsr") {
      if (!OnOff(value, on)) return false;
      SetBit(s.flags, CommState::kOutDsrFlow, on);
    } else if (key == "octs") {
      if (!OnOff(value, on)) return false;
      SetBit(s.flags, CommState::kOutCtsFlow, on);
    } else if (key == "idsr") {
      if (!OnOff(value, on)) return false;
      SetBit(s.flags, CommState::kDsrSensitivity, on);
    } else if (key == "dtr") {
      uint32_t v = lvalue == "off" ? 0 : lvalue == "on" ? 1 : lvalue == "hs" ? 2 : 9;
      if (v == 9) return false;
      SetField(s.flags, CommState::kDtrControlMask, CommState::kDtrControlShift, v);
    } else if (key == "rts") {
      uint32_t v = lvalue == "off" ? 0 : lvalue == "on" ? 1 : lvalue == "hs" ? 2 : lvalue == "tog" ? 3 : 9;
      if (v == 9) return false;
      SetField(s.flags, CommState::kRtsControlMask, CommState::kRtsControlShift, v);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCommDefinition(std::string_view definition, CommState& state, CommTimeouts& timeouts) {
  std::string_view def = Trim(definition);
  // A leading port name: "COM1:", "com2 ".
  if (def.size() > 3 && Lower(def.substr(0, 3)) == "com" && def[3] >= '0' && def[3] <= '9') {
    size_t n = 3;
    while (n < def.size() && def[n] >= '0' && def[n] <= '9') ++n;
    if (n < def.size() && def[n] == ':') ++n;
    def = Trim(def.substr(n));
  }
  if (def.empty()) return false;
  CommState s = state;
  CommTimeouts t = timeouts;
  // Flow control is off unless asked for.
  s.flags |= CommState::kBinary;
  s.flags &= ~(CommState::kOutCtsFlow | CommState::kOutDsrFlow | CommState::kOutX | CommState::kInX |
               CommState::kDsrSensitivity);
  SetField(s.flags, CommState::kDtrControlMask, CommState::kDtrControlShift, 1);
  SetField(s.flags, CommState::kRtsControlMask, CommState::kRtsControlShift, 1);
  bool baud_given = false, stop_given = false;
  const bool ok = def.find('=') != std::string_view::npos ? ParseKeyed(def, s, t, baud_given, stop_given)
                                                          : ParseOld(def, s, baud_given, stop_given);
  if (!ok) return false;
  if (baud_given && s.baud == 110 && !stop_given) s.stop_bits = CommState::kTwoStopBits;
  SetBit(s.flags, CommState::kParityCheck, s.parity != CommState::kNoParity);
  state = s;
  timeouts = t;
  return true;
}

}  // namespace vestil
