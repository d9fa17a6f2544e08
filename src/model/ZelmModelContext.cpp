#include "ZelmModelContext.h"

void TZelmModelContext::Assign(const TZelmModelContext& from) {
    if (&from == this)
        return;
    ClearSlots();
    SetModel(CloneOrNone(from.Model()));
    SetCliente(CloneOrNone(from.Cliente()));
    SetDett(CloneOrNone(from.Dett()));
    SetSto(CloneOrNone(from.Sto()));
    SetOpz(CloneOrNone(from.Opz()));
    SetPrefComp(CloneOrNone(from.PrefComp()));
    SetTaglieOperative(CloneOrNone(from.TaglieOperative()));
    SetSetOpzioniLavoraz(CloneOrNone(from.SetOpzioniLavoraz()));
    SetSetPreferenzeComponenti(CloneOrNone(from.SetPreferenzeComponenti()));
}

std::unique_ptr<TZelmModelContext> TZelmModelContext::Clone() const {
    auto copy = std::make_unique<TZelmModelContext>();
    copy->Assign(*this);
    return copy;
}
