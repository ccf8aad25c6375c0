#include "list/KeptListFile.h"

#include "list/ChoiceElements.h"
#include "list/ItemData.h"
#include "list/JclSimpleXML.h"
#include "platform/FileIO.h"
#include "toolkit/FileNames.h"
#include "toolkit/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <type_traits>

namespace
{

// Raised whenever the kept file changes in a way an older version could not read.
constexpr int KeptVersion = 1;

std::string ChildValue(TJclSimpleXMLElem& item, size_t position, const char* name)
{
    const TJclSimpleXMLElem* child = item.ChildNamed(name);
    if (!child)
        throw Exception("row " + std::to_string(position + 1) + " has no \"" + name + "\"");
    return child->Value();
}

// A number kept as an attribute; none when it is missing or does not read as a number of its kind.
template <typename T> std::optional<T> OptionalNumber(TJclSimpleXMLElem& element, const char* name)
{
    if (!element.HasProperties())
        return std::nullopt;
    const TJclSimpleXMLProp* property = element.Properties().ItemNamed(name);
    if (!property)
        return std::nullopt;
    bool ok = false;
    const QString text = QString::fromStdString(property->Value);
    const T value = std::is_integral_v<T> ? T(text.toLongLong(&ok)) : T(text.toDouble(&ok));
    if (!ok || value < 0 || !std::isfinite(double(value)))
        return std::nullopt;
    return value;
}

// Whether the file ends where its writer ends a list: one cut short (a disk that filled up, a copy that stopped)
// still reads as the rows before the cut, and those alone would replace the whole list.
bool EndsWhole(const std::string& path, bool hasRows)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(std::max<qint64>(0, file.size() - 64)))
        return false;
    const QByteArray end = file.readAll().trimmed();
    return end.endsWith("</list>") || (!hasRows && end.endsWith("/>"));
}

} // namespace

TKeptRows ReadKeptList(const std::string& path)
{
    TJclSimpleXML document;
    document.LoadDocument(path);
    TJclSimpleXMLElemClassic& root = document.Root();
    const TJclSimpleXMLProp* version = root.Properties().ItemNamed("version");
    if (root.Name() != "list" || !version)
        throw Exception("it is not a list kept by this program");
    if (StrToInt(version->Value) > KeptVersion)
        throw Exception("it was written by a newer version of the program");
    if (!EndsWhole(path, root.NumChildren() > 0))
        throw Exception("it ends before its last row, as a file cut short does");
    TKeptRows rows;
    for (size_t i = 0; i < root.NumChildren(); ++i) {
        TJclSimpleXMLElem& element = *root.ChildAt(i);
        TKeptRow row;
        row.FileName = NameText(ChildValue(element, i, "filename"));
        row.FormatIndex = StrToInt(ChildValue(element, i, "format"));
        row.Path = NameText(ChildValue(element, i, "path"));
        row.Choices = ChoicesOf(element);
        row.State = StrToInt(ChildValue(element, i, "state"));
        if (row.State < Waiting || row.State > Failed)
            throw Exception("row " + std::to_string(i + 1) + " has an unknown state");
        // The conversion ended with the program that ran it.
        if (row.State == Converting)
            row.State = Waiting;
        if (row.State == Failed)
            row.Reason = QString::fromStdString(ChildValue(element, i, "reason"));
        // Lists kept before the output was kept lack it; their finished rows just cannot open their file.
        if (TJclSimpleXMLElem* output = element.ChildNamed("output"); output && row.State == Done) {
            row.Output = NameText(output->Value());
            row.OutputSize = OptionalNumber<int64_t>(*output, "size");
            row.OutputLength = OptionalNumber<double>(*output, "length");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void WriteKeptList(const std::string& path, const TKeptRows& rows)
{
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetRootName("list");
    document.Root().Properties().Add("version", IntToStr(KeptVersion));
    for (const TKeptRow& row : rows) {
        TJclSimpleXMLElem* item = document.Root().AppendChild("item");
        item->AppendChild("filename")->SetValue(NameBytes(row.FileName));
        item->AppendChild("format")->SetValue(IntToStr(row.FormatIndex));
        item->AppendChild("path")->SetValue(NameBytes(row.Path));
        AppendChoices(*item, row.Choices);
        item->AppendChild("state")->SetValue(IntToStr(row.State));
        item->AppendChild("reason")->SetValue(row.Reason.toStdString());
        TJclSimpleXMLElem* output = item->AppendChild("output");
        output->SetValue(NameBytes(row.Output));
        // Attributes, which readers of the list before them pass over.
        if (row.OutputSize)
            output->Properties().Add("size", std::to_string(*row.OutputSize));
        if (row.OutputLength)
            output->Properties().Add("length", QString::number(*row.OutputLength, 'f', 3).toStdString());
    }
    const std::string content = document.SaveToString();
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    platform::TReplaceFile file;
    std::string reason;
    if (!file.Open(path, reason) || !file.Write(content, reason) || !file.Commit(reason))
        throw Exception("The list cannot be kept in " + path + ": " + reason);
}
