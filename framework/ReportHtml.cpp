#include "framework/ReportHtml.h"

namespace framework {

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

namespace {

std::string Value(toolkit::DataSet& data, const std::string& field) {
  return HtmlEscape(data.FieldByName(field).AsString());
}

std::string HeaderTable(const ReportDefinition& def, toolkit::DataSet& header) {
  header.First();
  std::string html = "<table cellspacing=\"0\" cellpadding=\"2\">";
  for (const ReportColumn& f : def.headerFields)
    html += "<tr><td><b>" + HtmlEscape(f.label) + ":</b></td><td>" + (header.IsEmpty() ? "" : Value(header, f.field)) +
            "</td></tr>";
  return html + "</table>";
}

std::string GroupBlock(const ReportDefinition& def, toolkit::DataSet& body) {
  std::string html = "<p>";
  for (const ReportColumn& f : def.groupFields)
    html += "<b>" + HtmlEscape(f.label) + ":</b> " + Value(body, f.field) + "&nbsp;&nbsp; ";
  html += "</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>";
  for (const ReportColumn& c : def.columns) html += "<th>" + HtmlEscape(c.label) + "</th>";
  html += "</tr>";
  const std::string group = body.FieldByName(def.groupBy).AsString();
  for (; !body.Eof() && body.FieldByName(def.groupBy).AsString() == group; body.Next()) {
    html += "<tr>";
    for (const ReportColumn& c : def.columns) html += "<td align=\"right\">" + Value(body, c.field) + "</td>";
    html += "</tr>";
  }
  return html + "</table>";
}

}  // namespace

std::string ReportHtml(const ReportDefinition& def, toolkit::DataSet& header, toolkit::DataSet& body,
                       const std::string& printedAt) {
  std::string html = "<html><head><title>" + HtmlEscape(def.title) + "</title></head><body>";
  html += "<h2>" + HtmlEscape(def.title) + "</h2>";
  html += "<p>Impresso em " + HtmlEscape(printedAt) + "</p>";
  html += HeaderTable(def, header);
  body.First();
  if (body.Eof()) html += "<p>" + HtmlEscape(def.emptyText) + "</p>";
  while (!body.Eof()) html += GroupBlock(def, body);
  return html + "</body></html>";
}

}  // namespace framework
