#pragma once
#include "base/OutputTree.h"
#include "generators/LineWriter.h"
#include "model/ModelLookup.h"
#include "model/ListEntry.h"
#include "model/Member.h"
#include "model/ProjectSnapshot.h"

#include <memory>
#include <string>

namespace quorrel {

// Writes the Smarty templates of a project's administration area: the menu
// page fream.tpl and, per class, the list, edit and add pages. Every file
// goes to the output tree under admin/templates/admin/ of the site, with its
// progress line. No template depends on the table prefix.
class TUIOperate {
public:
    // The resource the menu page is made from, below the resource folder.
    static constexpr const char* kMenuFramePath = "template/admin/templates/admin/fream.tpl";

    // Reads the model only from the snapshot; the menu page fills menuFrame,
    // the text of the resource kMenuFramePath.
    TUIOperate(std::shared_ptr<const TProjectSnapshot> project, std::string menuFrame, OutputTree& out);

    // Checks the references of every class, then writes the menu page, all
    // add pages, all edit pages and all list pages, each group in list order.
    void GenerateTemplates(const TClassList& classes) const;
    // Raises Error for the first class without a key member and for the first
    // reference member (search field or form row) whose class is missing or
    // lacks a key or display member, so that a bad model writes no page.
    void CheckReferences(const TClassList& classes) const;
    void GenerateMenuPage(const TClassList& classes) const;
    void GenerateAddPages(const TClassList& classes) const;
    void GenerateEditPages(const TClassList& classes) const;
    void GenerateListPages(const TClassList& classes) const;

    // The pages of a class of the snapshot.
    std::string BuildAddPage(const TClassSnapshot& cls) const;
    std::string BuildEditPage(const TClassSnapshot& cls) const;
    std::string BuildListPage(const TClassSnapshot& cls) const;

private:
    // A writer with the values of the class: {lower}, the friendly name
    // escaped for HTML {friendHtml}, and the fixed {docType} and
    // {searchIndent}. Model text enters a page only escaped for HTML.
    static TLineWriter Writer(const TClassSnapshot& cls);
    TReferencedClass LookUpReference(const TClassSnapshot& cls, const TMember& member) const;

    enum class Page { Add, Edit, List };
    // What a form row asks for: a member's input by its type, or the
    // edit page's read-only key.
    enum class FormInput { Text, Number, Date, Picture, Choice, ReadOnlyKey };
    static FormInput InputOf(const TMember& member);

    // The document head with the page's scripts, and the title bar with the
    // list and add tabs.
    void WritePageHead(TLineWriter& w, const TClassSnapshot& cls, Page page) const;
    // One row of the add or edit form of a class: label, input and hint.
    void WriteFormRow(TLineWriter& w, const TClassSnapshot& cls, const TMember& member, Page page,
                      FormInput input) const;
    // The end of the add and edit pages: the form's table, the form, the page.
    static void WriteFormEnd(TLineWriter& w);

    // Writes a page of a class, named after the class with the suffix.
    void WritePage(const TClassSnapshot& cls, const std::string& suffix, const std::string& text) const;
    // Writes one page per class of the list, in list order, each built by
    // build and named with the suffix.
    using PageBuilder = std::string (TUIOperate::*)(const TClassSnapshot&) const;
    void GeneratePages(const TClassList& classes, const char* suffix, PageBuilder build) const;

    std::shared_ptr<const TProjectSnapshot> project_;
    std::string menuFrame_;
    OutputTree& out_;
};

} // namespace quorrel
