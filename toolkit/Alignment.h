#pragma once

// Horizontal placement of a caption.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Vertical placement of a caption.
enum TTextLayout { tlTop, tlCenter, tlBottom };
