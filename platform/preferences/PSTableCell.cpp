#include "PSTableCell.h"

#include "NSString.h"
#include "UIColor.h"
#include "UIImage.h"

namespace {

std::string textOf(const id& value)
{
    if (!value) {
        return {};
    }
    const auto string = as<NSString>(value);
    return string ? string->string() : value->description();
}

} // namespace

PSTableCell::PSTableCell(PSCellType cellType, std::string reuseIdentifier)
    : UITableViewCell(UITableViewCellStyle::Value1, std::move(reuseIdentifier)), cellType_(cellType)
{
}

std::string PSTableCell::reuseIdentifierForCellType(PSCellType cellType)
{
    return "PSCell" + std::to_string(static_cast<int>(cellType));
}

void PSTableCell::refreshCellContentsWithSpecifier(const PSSpecifier& specifier, const id& value)
{
    textLabel()->setText(specifier.name());
    const bool opensPage = cellType_ == PSCellType::Link || cellType_ == PSCellType::LinkList;
    setAccessoryType(opensPage ? UITableViewCellAccessoryType::DisclosureIndicator : UITableViewCellAccessoryType::None);
    const bool selectable = opensPage || cellType_ == PSCellType::Button || cellType_ == PSCellType::ListItem;
    setSelectionStyle(selectable ? UITableViewCellSelectionStyle::Blue : UITableViewCellSelectionStyle::None);
    textLabel()->setTextColor(cellType_ == PSCellType::Button ? UIColor::colorWithRedGreenBlueAlpha(0.20, 0.31, 0.52, 1)
                                                              : UIColor::blackColor());
    std::string detail;
    if (cellType_ == PSCellType::LinkList) {
        detail = specifier.titleForValue(value).value_or(std::string());
    } else if (cellType_ == PSCellType::TitleValue) {
        detail = textOf(value);
    }
    if (detailTextLabel()) {
        detailTextLabel()->setText(detail);
    }
    imageView()->setImage(as<UIImage>(specifier.propertyForKey(PSSpecifier::kIconImage)));
    setNeedsLayout();
}

void PSTableCell::setChecked(bool checked)
{
    setAccessoryType(checked ? UITableViewCellAccessoryType::Checkmark : UITableViewCellAccessoryType::None);
}
