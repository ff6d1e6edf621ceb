#pragma once
// Sample models and output helpers for the script and controller tests.
#include "tests/support/Field.h"
#include "tests/support/Golden.h"
#include "model/ClassDAO.h"
#include "model/Member.h"
#include "base/Error.h"
#include "model/MemberDAO.h"
#include "model/ProjectDAO.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace quorrel::test {


// Member flags for ModelBuilder::Member.
enum MemberFlag : unsigned {
    kKey = 1,
    kMust = 2,
    kSearch = 4,
    kDisplay = 8,
    kNotListed = 16,
};

// Builds a project of the model through the access classes, as the dialogs do.
class ModelBuilder {
public:
    explicit ModelBuilder(const std::string& projectName) {
        projects_.AddProject(projectName);
        for (const TListEntry& entry : projects_.LoadProjects())
            if (entry.name == projectName)
                projectId_ = entry.id;
    }

    int projectId() const { return projectId_; }

    int Class(const std::string& className, const std::string& friendName) {
        classes_.AddClass(projectId_, className, friendName);
        return classes_.GetClassId(projectId_, className);
    }

    // The dialogs store a length only for strings.
    void Member(int classId, const std::string& name, const std::string& type, const std::string& comment,
                unsigned flags = 0, int length = 0) {
        Field m = Field(name, type).In(projectId_, classId).Comment(comment);
        if (type == kTypeString)
            m.Length(length);
        if (flags & kKey)
            m.Key();
        if (flags & kMust)
            m.Must();
        if (flags & kSearch)
            m.Search();
        if (flags & kDisplay)
            m.Display();
        if (flags & kNotListed)
            m.NotListed();
        members_.AddMember(m);
    }

    TClassList ClassList() const { return classes_.GetClassList(projectId_); }

private:
    TProjectDAO projects_;
    TClassDAO classes_;
    TMemberDAO members_;
    int projectId_ = -1;
};

// The shop project: integer and text keys, references to both kinds of key,
// reference and date search members, no, one and two image members, a
// key-only class, a class whose only non-key member is an image, empty
// comments and friend names, a Chinese class name, and comments holding
// quotes, backslashes and "$dbprefix".
inline int BuildShopModel() {
    ModelBuilder b("shop");

    const int user = b.Class("User", "用户");
    b.Member(user, "userId", kTypeInteger, "用户编号", kKey | kMust);
    b.Member(user, "userName", kTypeString, "用户名", kMust | kSearch | kDisplay, 20);
    b.Member(user, "birthday", kTypeDate, "生日", kSearch);
    b.Member(user, "score", kTypeFloat, "积分");
    b.Member(user, "avatar", kTypeImage, "头像");
    b.Member(user, "age", kTypeInteger, "", kNotListed);

    const int category = b.Class("Category", "");
    b.Member(category, "code", kTypeString, "分类代码", kKey | kMust, 30);
    b.Member(category, "title", kTypeString, "", kDisplay, 50);

    // The key is not the first member; two images; references to a text key
    // and an integer key, two of them search members.
    const int article = b.Class("Article", "文章");
    b.Member(article, "title", kTypeString, "标题: O'Brien的\"文章\"", kMust | kSearch | kDisplay, 100);
    b.Member(article, "articleId", kTypeInteger, "文章编号", kKey | kMust);
    b.Member(article, "category", "Category", "所属分类", kSearch);
    b.Member(article, "author", "User", "作者's 笔名", kSearch);
    b.Member(article, "editor", "User", "", kNotListed);
    b.Member(article, "cover", kTypeImage, "封面 C:\\pics\\");
    b.Member(article, "photo", kTypeImage, "");
    b.Member(article, "content", kTypeString, "正文, 存于 $dbprefix 表", 0, 255);
    b.Member(article, "publishDate", kTypeDate, "发布日期", kSearch);
    b.Member(article, "hits", kTypeInteger, "点击\\");

    const int tag = b.Class("Tag", "标签");
    b.Member(tag, "tagId", kTypeInteger, "标签编号", kKey | kMust | kDisplay);

    const int gallery = b.Class("Gallery", "相册");
    b.Member(gallery, "galleryId", kTypeInteger, "相册编号", kKey | kMust | kDisplay);
    b.Member(gallery, "picture", kTypeImage, "图片");

    // Chinese name; a reference to a text key outside the search, and a
    // search reference to an integer key.
    const int goods = b.Class("商品", "商品信息");
    b.Member(goods, "goodsId", kTypeInteger, "商品编号", kKey | kMust);
    b.Member(goods, "goodsName", kTypeString, "名称", kMust | kDisplay, 40);
    b.Member(goods, "kind", "Category", "类别");
    b.Member(goods, "price", kTypeFloat, "价格");
    b.Member(goods, "maker", "User", "厂家", kSearch);

    const int review = b.Class("review", "评价");
    b.Member(review, "reviewId", kTypeInteger, "评价编号", kKey | kMust | kDisplay);
    b.Member(review, "goods", "商品", "商品", kSearch);
    b.Member(review, "text", kTypeString, "内容", kMust, 200);

    return b.projectId();
}

// The lab project: digit-first class names, referring to each other. Their
// controllers keep the names as they are, so "$3DModel..." variables appear,
// which PHP does not accept; these files are compared but not linted.
inline int BuildDigitFirstModel() {
    ModelBuilder b("lab");

    const int model = b.Class("3DModel", "3D模型");
    b.Member(model, "modelCode", kTypeString, "型号代码", kKey | kMust, 16);
    b.Member(model, "modelName", kTypeString, "模型名", kMust | kDisplay, 40);
    b.Member(model, "part", "9Part", "零件", kSearch);

    const int part = b.Class("9Part", "零件");
    b.Member(part, "partId", kTypeInteger, "零件编号", kKey | kMust);
    b.Member(part, "partName", kTypeString, "零件名", kMust | kDisplay, 40);
    b.Member(part, "model", "3DModel", "所属模型");
    b.Member(part, "drawing", kTypeImage, "图纸");

    return b.projectId();
}

} // namespace quorrel::test
