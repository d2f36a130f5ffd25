// The character console of the script window (see text_grid.h).
#include "gui/text_grid.h"

#include <algorithm>
#include <cstddef>

namespace vestil::gui {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// Frame characters (OEM code page) by style: top-left, top-right,
// bottom-left, bottom-right, horizontal, vertical.
constexpr uint8_t kBoxChars[4][6] = {
    {218, 191, 192, 217, 196, 179},  // single
    {201, 187, 200, 188, 205, 186},  // double
    {213, 184, 212, 190, 205, 179},  // double horizontal, single vertical
    {32, 32, 32, 32, 32, 32},        // blank: erases a frame
};

}  // namespace

const std::array<uint32_t, 16> kPalette16 = {
    Rgb(0x00, 0x00, 0x00), Rgb(0x00, 0x00, 0x88), Rgb(0x00, 0x88, 0x00), Rgb(0x88, 0x00, 0x88),
    Rgb(0x88, 0x00, 0x00), Rgb(0x00, 0x88, 0x88), Rgb(0x88, 0x88, 0x00), Rgb(0xcc, 0xcc, 0xcc),
    Rgb(0x44, 0x44, 0x44), Rgb(0x00, 0x00, 0xff), Rgb(0x00, 0xff, 0x00), Rgb(0xff, 0x00, 0xff),
    Rgb(0xff, 0x00, 0x00), Rgb(0x00, 0xff, 0xff), Rgb(0xff, 0xff, 0x00), Rgb(0xff, 0xff, 0xff),
};

CellMetrics ComputeCellMetrics(const std::array<FontMetrics, 4>& fonts, int& metric_font_index) {
  CellMetrics m;
  const int n = std::clamp(metric_font_index, 0, 3);
  for (int k = 1; k <= n; ++k) {
    const FontMetrics& f = fonts[static_cast<size_t>(k)];
    m.width = std::max(m.width, f.max_char_width);
    if (f.height + f.external_leading > m.height) {
      m.height = f.height + f.external_leading - 2;
      metric_font_index = k;
    }
    m.ascent = std::max(m.ascent, f.ascent);
  }
  return m;
}

// --- the grid ----------------------------------------------------------------

void TextGrid::Create(int screen_width, int screen_height) {
  capacity_columns_ = std::max(screen_width / kGridCellWidth, 1);
  capacity_rows_ = std::max(screen_height / kGridCellHeight, 1);
  const size_t size = static_cast<size_t>(capacity_columns_) * static_cast<size_t>(capacity_rows_);
  chars_.assign(size, ' ');
  attributes_.assign(size, attribute);
  fonts_.assign(size, font_index);
  first_line_ = 0;
  cursor_x_ = cursor_y_ = 0;
}

void TextGrid::Destroy() {
  chars_.clear();
  attributes_.clear();
  fonts_.clear();
  chars_.shrink_to_fit();
  attributes_.shrink_to_fit();
  fonts_.shrink_to_fit();
  capacity_columns_ = capacity_rows_ = 0;
  first_line_ = 0;
  cursor_x_ = cursor_y_ = 0;
}

int TextGrid::columns() const {
  const int c = std::max(wanted_columns_, 1);
  return exists() ? std::min(c, capacity_columns_) : c;
}

int TextGrid::rows() const {
  const int r = std::max(wanted_rows_, 1);
  return exists() ? std::min(r, capacity_rows_) : r;
}

void TextGrid::SetWindowSize(int width, int height) {
  wanted_columns_ = width / kGridCellWidth;
  wanted_rows_ = height / kGridCellHeight;
  ClampCursor();
}

size_t TextGrid::Offset(int x, int y) const {
  const int r = rows();
  return static_cast<size_t>((y + first_line_) % r) * static_cast<size_t>(columns()) + static_cast<size_t>(x);
}

Cell TextGrid::At(int x, int y) const {
  if (!exists() || x < 0 || y < 0 || x >= columns() || y >= rows()) return Cell{' ', attribute, font_index};
  const size_t o = Offset(x, y);
  return Cell{chars_[o], attributes_[o], fonts_[o]};
}

void TextGrid::ClampCursor() {
  cursor_x_ = std::clamp(cursor_x_, 0, columns() - 1);
  cursor_y_ = std::clamp(cursor_y_, 0, rows() - 1);
}

// 1-based cell to 0-based, clamped to 0 .. count - 1 (without overflow).
static int CellIndex(int64_t one_based, int count) {
  return static_cast<int>(std::clamp<int64_t>(one_based - 1, 0, count - 1));
}

void TextGrid::Locate(int row, int column) {
  cursor_x_ = CellIndex(column, columns());
  cursor_y_ = CellIndex(row, rows());
}

void TextGrid::Clear() {
  if (exists()) {
    const size_t n = static_cast<size_t>(columns()) * static_cast<size_t>(rows());
    std::fill_n(chars_.begin(), n, ' ');
    std::fill_n(attributes_.begin(), n, attribute);
    std::fill_n(fonts_.begin(), n, font_index);
  }
  cursor_x_ = cursor_y_ = 0;
}

void TextGrid::FillRow(int y) {
  const size_t o = Offset(0, y);
  const size_t n = static_cast<size_t>(columns());
  std::fill_n(chars_.begin() + static_cast<std::ptrdiff_t>(o), n, ' ');
  std::fill_n(attributes_.begin() + static_cast<std::ptrdiff_t>(o), n, attribute);
  std::fill_n(fonts_.begin() + static_cast<std::ptrdiff_t>(o), n, font_index);
}

// Draws the pending cells left ..< right of the cursor row, one run per
// attribute and font.
void TextGrid::Flush(std::vector<GridOp>& ops, int& left, int& right) {
  right = std::min(right, columns());
  while (left < right) {
    const size_t o = Offset(left, cursor_y_);
    const uint8_t run_attribute = attributes_[o];
    GridOp op{GridOp::kDrawRun, left, cursor_y_, PaletteForeground(run_attribute), PaletteBackground(run_attribute),
              fonts_[o], {}};
    while (left < right) {
      const size_t p = Offset(left, cursor_y_);
      if (attributes_[p] != run_attribute || fonts_[p] != op.font) break;
      op.text.push_back(static_cast<char>(chars_[p]));
      ++left;
    }
    ops.push_back(std::move(op));
  }
  left = right = cursor_x_;
}

// A new line: on the last row the ring turns, the new last row is blank and
// the window scrolls its client area (the shadow copy is not scrolled); the
// blank row is drawn with the next run.
void TextGrid::NewLine(std::vector<GridOp>& ops, int& left, int& right) {
  Flush(ops, left, right);
  cursor_x_ = 0;
  left = right = 0;
  if (cursor_y_ < rows() - 1) {
    ++cursor_y_;
    return;
  }
  cursor_y_ = rows() - 1;
  first_line_ = (first_line_ + 1) % rows();
  FillRow(cursor_y_);
  ops.push_back(GridOp{GridOp::kScroll, 0, 0, 0, 0, 0, {}});
  right = columns();
}

std::vector<GridOp> TextGrid::Write(std::string_view bytes) {
  std::vector<GridOp> ops;
  if (!exists()) return ops;
  ClampCursor();
  int left = cursor_x_, right = cursor_x_;
  for (char c : bytes) {
    const uint8_t b = static_cast<uint8_t>(c);
    switch (b) {
      case 7:
        Flush(ops, left, right);
        ops.push_back(GridOp{GridOp::kBeep, 0, 0, 0, 0, 0, {}});
        break;
      case 8:
        if (cursor_x_ > 0) {
          --cursor_x_;
          const size_t o = Offset(cursor_x_, cursor_y_);
          chars_[o] = ' ';
          attributes_[o] = attribute;
          fonts_[o] = font_index;
          left = std::min(left, cursor_x_);
        }
        break;
      case 10:
        NewLine(ops, left, right);
        break;
      case 13:
        break;
      default: {
        const size_t o = Offset(cursor_x_, cursor_y_);
        chars_[o] = b;
        attributes_[o] = attribute;
        fonts_[o] = font_index;
        ++cursor_x_;
        right = std::max(right, cursor_x_);
        // The last column wraps to the next row; on the last row that is a
        // new line, which scrolls.
        if (cursor_x_ == columns()) NewLine(ops, left, right);
        break;
      }
    }
  }
  Flush(ops, left, right);
  ClampCursor();
  return ops;
}

bool TextGrid::Box(int row1, int col1, int row2, int col2, int style, std::vector<BoxCell>& cells) {
  cells.clear();
  if (row1 < 0 || col1 < 0 || row2 > rows() || col2 > columns()) return false;
  const uint8_t* ch = kBoxChars[style >= 1 && style <= 3 ? style : 0];
  // 1-based cells, clamped into the grid (row and column 0 give the first).
  auto put = [&](int64_t row, int64_t col, uint8_t c) {
    cells.push_back(BoxCell{CellIndex(col, columns()), CellIndex(row, rows()), c});
  };
  const int64_t w = int64_t{col2} - col1 + 1, h = int64_t{row2} - row1 + 1;
  put(row1, col1, ch[0]);
  put(row1, col2, ch[1]);
  for (int64_t i = 1; i <= w - 2; ++i) {
    put(row1, col1 + i, ch[4]);
    put(row2, col1 + i, ch[4]);
  }
  for (int64_t j = 1; j <= h - 2; ++j) {
    put(row1 + j, col1, ch[5]);
    put(row1 + j, col2, ch[5]);
  }
  put(row2, col1, ch[2]);
  put(row2, col2, ch[3]);
  for (int64_t row = int64_t{row1} + 1; row < row2; ++row)
    for (int64_t col = int64_t{col1} + 1; col < col2; ++col) put(row, col, ' ');
  cursor_x_ = CellIndex(int64_t{col1} + 1, columns());
  cursor_y_ = CellIndex(int64_t{row1} + 1, rows());
  return true;
}

// --- the line reader ------------------------------------------------------------

bool LineEditor::Feed(uint8_t code, std::string& echo) {
  echo.clear();
  if (code == 13) {
    echo.push_back('\r');
    return true;
  }
  if (code == 8) {
    if (!line_.empty()) {
      line_.pop_back();
      echo.push_back('\b');
    }
  } else if (code >= 32 && static_cast<int>(line_.size()) < max_chars_) {
    line_.push_back(static_cast<char>(code));
    echo.push_back(static_cast<char>(code));
  }
  return false;
}

}  // namespace vestil::gui
