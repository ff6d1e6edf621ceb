#pragma once
#include <nlohmann/json.hpp>

#include <istream>
#include <string>
#include <vector>

namespace quorrel {

// The model of one project as JSON:
// {"projects":[{"projectName":..,"classes":[{"classUid":..,"className":..,"friendName":..,
//   "members":[{"memberUid":..,<every other t_member column but the three ids>}]}]}]}
// Lists are in row order, keys in a fixed order. No row ids: they differ in
// every model file; the uids carry the identity of classes and members.
nlohmann::ordered_json ExportProject(int projectId, const std::string& projectName);

// Reads a JSON document, refusing (with quorrel::Error) an object that holds
// one key twice. Malformed JSON throws nlohmann::json::parse_error.
nlohmann::ordered_json ParseModelDocument(std::istream& in);

// Creates every project of the document as a new project with new ids, in
// one transaction. Reference members keep pointing at their class because
// they name it. Classes and members keep the uids the document gives them
// and get new ones where it gives none; row ids in the document (older
// exports have them) are ignored. Refuses (with quorrel::Error, the model
// unchanged) a malformed document, a uid that is not 32 lower-case hex
// digits or that two classes or two members of one project share, a
// project name that already exists, or a name or text that breaks a rule of
// the model (ModelValidator), naming the rule. Returns the names of the
// imported projects.
std::vector<std::string> ImportProjects(const nlohmann::ordered_json& document);

// Applies the document, an edited export of the project, to the project in
// place in one transaction (TProjectDAO::UpdateProject: matched by uid,
// kept rows keep their ids). Reads the document as ImportProjects does and
// refuses the same; refuses too a document of more than one project or of
// another project name. Returns the line that counts the changes.
std::string UpdateProject(int projectId, const std::string& projectName, const nlohmann::ordered_json& document);

} // namespace quorrel
