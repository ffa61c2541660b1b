#pragma once
// Product-code pictures: the host keeps one picture per kind ("99.99.999"
// for kind 0, the product tree); screens turn it into an edit mask and a
// tree level count.
#include <string>
#include <string_view>

namespace framework {

// A picture such as "99.99.999": digit groups separated by literals.
class TPicture {
 public:
  explicit TPicture(std::string picture);
  const std::string& Picture() const { return picture_; }
  // The edit mask that types the picture with its literals saved and '_'
  // as the blank: "99.99.999" gives "99.99.999;1;_".
  std::string EditMask() const;
  // Number of digit groups (tree levels): 3 for "99.99.999".
  int GetTtNiveis() const;

 private:
  std::string picture_;
};

// The host's picture of that kind. Throws std::invalid_argument for a kind
// the host has no picture for (only 0 exists).
TPicture DBPictObj(int kind);
// DBPictObj(kind).EditMask().
std::string DBPict(int kind);

}  // namespace framework
