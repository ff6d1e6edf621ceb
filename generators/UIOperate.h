#pragma once
#include "base/Folders.h"
#include "base/OutputTree.h"
#include "base/ProgressSink.h"
#include "generators/LineWriter.h"
#include "model/ModelLookup.h"
#include "model/ListEntry.h"
#include "model/Member.h"
#include "model/ProjectSnapshot.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace quorrel {

// Writes the Smarty templates of a project's administration area: the menu
// page fream.tpl and, per class, the list, edit and add pages. Every file
// goes to the output tree under projects/<project>/admin/templates/admin/;
// each written file adds one progress line.
class TUIOperate {
public:
    // Reads the model only from the snapshot; the project name names the site.
    TUIOperate(std::shared_ptr<const TProjectSnapshot> project, std::string projectName, TFolders folders,
               OutputTree& out, ProgressSink& progress);

    // Checks the references of every class, then writes the menu page, all
    // add pages, all edit pages and all list pages, each group in list order.
    // The table prefix is passed on but no template depends on it. The run
    // puts what it writes right after the menu page into afterMenuPage.
    void GenerateTemplates(const std::string& tablePrefix, const TClassList& classes,
                           const std::function<void()>& afterMenuPage = {});
    void GenerateMenuPage(const TClassList& classes);
    void GenerateAddPages(const std::string& tablePrefix, const TClassList& classes);
    void GenerateEditPages(const std::string& tablePrefix, const TClassList& classes);
    void GenerateListPages(const std::string& tablePrefix, const TClassList& classes);

private:
    // Raises Error for the first class without a key member and for the first
    // reference member (search field or form row) whose class is missing or
    // lacks a key or display member, so that a bad model writes no page.
    void CheckReferences(const TClassList& classes);


    void SetCurrentClass(const TListEntry& entry);
    // A writer with the values of the current class: {lower}, the friendly
    // name escaped for HTML {friendHtml}, and the fixed {docType} and
    // {searchIndent}. Model text enters a page only escaped for HTML.
    TLineWriter Writer() const;
    TMember LookUpKeyMember() const;
    TReferencedClass LookUpReference(const TMember& member) const;

    enum class Page { Add, Edit, List };
    // What a form row asks for: a member's input by its type, or the
    // edit page's read-only key.
    enum class FormInput { Text, Number, Date, Picture, Choice, ReadOnlyKey };
    static FormInput InputOf(const TMember& member);

    // The document head with the page's scripts, and the title bar with the
    // list and add tabs.
    void WritePageHead(TLineWriter& w, Page page) const;
    // One row of the add or edit form: label, input and hint.
    void WriteFormRow(TLineWriter& w, const TMember& member, Page page, FormInput input) const;
    // The end of the add and edit pages: the form's table, the form, the page.
    static void WriteFormEnd(TLineWriter& w);

    std::string BuildAddPage() const;
    std::string BuildEditPage() const;
    std::string BuildListPage() const;

    std::string PagePath(const std::string& suffix) const;
    void WritePage(const std::string& suffix, const std::string& text);

    // Values of the class being generated, set at the start of each entry.
    std::string friendName_;
    std::string className_;
    std::string lowerClassName_;
    const TClassSnapshot* class_ = nullptr;

    std::shared_ptr<const TProjectSnapshot> project_;
    std::string projectName_;
    TFolders folders_;
    OutputTree& out_;
    ProgressSink& progress_;
};

} // namespace quorrel
