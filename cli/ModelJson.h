#pragma once
#include <nlohmann/json.hpp>

#include <istream>
#include <string>
#include <vector>

namespace quorrel {

// The model of one project as JSON:
// {"projects":[{"projectId":..,"projectName":..,"classes":[{"classId":..,"className":..,
//   "friendName":..,"members":[{<every t_member column but projectId and classId>}]}]}]}
// Lists are in row order.
nlohmann::ordered_json ExportProject(int projectId, const std::string& projectName);

// Reads a JSON document, refusing (with quorrel::Error) an object that holds
// one key twice. Malformed JSON throws nlohmann::json::parse_error.
nlohmann::ordered_json ParseModelDocument(std::istream& in);

// Creates every project of the document as a new project with new ids, in
// one transaction. Reference members keep pointing at their class because
// they name it. Refuses (with quorrel::Error, the model unchanged) a
// malformed document, a project name that already exists, or a name or
// text that breaks a rule of the model (ModelValidator), naming the rule.
// Returns the names of the imported projects.
std::vector<std::string> ImportProjects(const nlohmann::ordered_json& document);

} // namespace quorrel
