#pragma once
// A window's components as a form file describes them: the form owns them, loads them from the
// file (all or nothing) and saves them back. It is not a window itself; the windows that carry
// components are built on it.
//
// Form file layout (JSON, UTF-8): the form's name and its components in creation order, each with
// its class, its name and its stored properties in declared order; a component reference is the
// target's name. Saving writes two-space indentation, keys in that order and a final line break,
// so that saving a loaded canonical file gives back its bytes.
//
//   {
//     "Name": "frmPedidos",
//     "Components": [
//       {
//         "Class": "TMorvantaDatabase",
//         "Name": "dbLoja",
//         "Properties": {
//           "DriverName": "Interbase",
//           ...

#include <memory>
#include <string>
#include <string_view>

#include "morvanta/platform/formfiles/ClassRegistry.h"
#include "morvanta/platform/framework/Component.h"

namespace morvanta {

enum class FormState { Running, Designing };

class TStoredForm : public TComponent {
 public:
  // The classes the form's file may name; the registry must outlive the form.
  explicit TStoredForm(const ClassRegistry& classes, TComponent* owner = nullptr);

  static constexpr const char* kClassName = "TStoredForm";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "StoredForm"; }

  const ClassRegistry& Classes() const { return classes_; }

  // Reads a form file into a new form: creates the components with the form as owner, sets their
  // properties in declared order through the setters, then resolves the references once every
  // component exists, the targets' own references first. A file that cannot be read is refused
  // with EReadError, and nothing of it remains. `fileName` names the file in messages (UTF-8).
  static std::unique_ptr<TStoredForm> LoadFromFile(const std::string& path, const ClassRegistry& classes);
  static std::unique_ptr<TStoredForm> LoadFromText(std::string_view text, const std::string& fileName,
                                                   const ClassRegistry& classes);

  // The form in its file layout. Components of classes that the registry does not know (helpers
  // made at run time) are not stored; EWriteError when a reference names a component outside
  // the form.
  std::string SaveToText() const;
  // Writes the text beside the file and moves it over the file, so that a failed save leaves the
  // old file whole. A symbolic link is followed to the file it leads to; a folder, device, fifo
  // or socket is refused with EWriteError and left as it is.
  void SaveToFile(const std::string& path) const;

  // Puts the form and everything it owns, at any depth, in design state or back to running.
  void SetFormState(FormState state);

 private:
  const ClassRegistry& classes_;
};

}  // namespace morvanta
