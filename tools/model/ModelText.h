// The readable form of a model, one statement a line ("#" starts a comment):
//   frames <count>                       before any part or tag; 1 when absent
//   part <primitive> [<parameter> <numbers>...]   then placement lines, then "end"
//   tag <name>                           then placement lines, then "end"
//   sphere <x> <y> <z> <radius>          a bounding sphere
//   box <x> <y> <z> <hx> <hy> <hz> [<degrees>]    a bounding box turned about z
// Placement lines: translate <x> <y> <z>, rotate x|y|z <degrees>, scale <s> | <sx> <sy> <sz>,
// matrix <16 numbers, row after row>, frame <frames> <placement line> (only in those frames),
// and in parts hide <frames> and a primitive's parameters. <frames> is "all" or numbers and
// ranges joined by commas ("0,3-5"). The README describes the shapes and their parameters.
#pragma once

#include <string>

#include "tools/model/ModelSource.h"

// false with a message naming the line when the text is not a well-formed model.
bool ParseModelText(const std::string& text, CModelSource* source, std::string* error);
