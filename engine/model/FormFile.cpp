#include "engine/model/FormFile.h"

#include "engine/core/EngineLog.h"
#include "engine/model/TvOle.h"
#include "platform/core/Cp932.h"

namespace nv {

namespace {

template <class F>
void ForEachItem(TvFedObject& form, F fn)
{
    form.ForEachObjectMutable([&](TvObject& obj, TvLayer&) {
        if (auto* ole = dynamic_cast<TvOle*>(&obj))
            if (TvOleItem* item = ole->GetItem()) fn(*item);
    });
}

void AttachContainerStorages(TvFedObject& form, const CompoundEntry& root)
{
    ForEachItem(form, [&](TvOleItem& item) {
        if (!item.m_storage.empty()) return;
        const CompoundEntry* storage = root.Find(item.ContainerStorageName());
        if (!storage || !storage->storage) return;
        try {
            item.m_storage = WriteCompoundFile(*storage);
        } catch (const std::exception& e) {
            item.m_storage.clear();
            item.m_strStorageLost = LogText(e);
        }
    });
}

// An item that lost its storage on the way in would lose it in the file
// too: the form is refused rather than saved short of it.
void RefuseLostStorages(const TvFedObject& form)
{
    form.ForEachObject([](const TvObject& obj) {
        const auto* ole = dynamic_cast<const TvOle*>(&obj);
        const TvOleItem* item = ole ? ole->GetItem() : nullptr;
        if (!item || item->m_strStorageLost.empty()) return;
        throw FormFileException("OLE オブジェクトのデータを読み込めなかったため、フォームを保存できません。",
                                "OLE item " + std::to_string(item->m_dwItemNumber)
                                    + " without its storage: " + item->m_strStorageLost);
    });
}

} // namespace

std::string FormFileException::GetErrorMessage() const { return Utf8ToCp932Lossy(m_strMessage); }

std::unique_ptr<TvFedObject> LoadFormFile(std::string_view bytes, const CompoundLimits& limits)
{
    if (bytes.empty()) throw CArchiveException(CArchiveException::endOfFile);
    if (bytes.size() > limits.maxFileSize) throw FormFileException("フォームファイルが大きすぎます。", "form file larger than allowed");
    std::unique_ptr<TvFedObject> form;
    CompoundEntry root;
    const bool compound = IsCompoundFile(bytes);
    if (compound) {
        std::string why;
        if (!ReadCompoundFile(bytes, root, &why, limits)) throw FormFileException("フォームファイルが壊れています。", "damaged form file: " + why);
        const CompoundEntry* contents = root.Find(kFormContentsStream);
        if (!contents || contents->storage) throw FormFileException("フォームファイルにフォームの内容がありません。", "form file without contents");
        form = LoadFormArchive(contents->data);
    } else {
        form = LoadFormArchive(bytes);
    }
    if (!form) throw FormFileException("フォームファイルにフォームがありません。", "form file without a form");
    if (compound) AttachContainerStorages(*form, root);
    // Automatic links would be brought up to date here; no server runs, so
    // the cached pictures stay.
    ForEachItem(*form, [](TvOleItem& item) { item.UpdateLink(false, 0); });
    return form;
}

CompoundEntry MakeFormFileTree(const TvFedObject& form, const FormFileOptions& options)
{
    RefuseLostStorages(form);
    CompoundEntry root;
    root.name = "Root Entry";
    root.storage = true;
    if (!options.itemsInContainer) {
        root.AddStream(options.contentsName, StoreFormArchive(form));
        return root;
    }
    // A copy through the archive keeps the items, which Clone drops.
    std::unique_ptr<TvFedObject> copy = LoadFormArchive(StoreFormArchive(form));
    std::vector<CompoundEntry> storages;
    ForEachItem(*copy, [&](TvOleItem& item) {
        if (item.m_storage.empty()) return;
        CompoundEntry storage;
        if (ReadCompoundFile(item.m_storage, storage)) {
            storage.name = item.ContainerStorageName();
            storages.push_back(std::move(storage));
        }
        item.m_storage.clear();
    });
    root.AddStream(options.contentsName, StoreFormArchive(*copy));
    for (CompoundEntry& s : storages) root.children.push_back(std::move(s));
    return root;
}

std::string StoreFormFile(const TvFedObject& form, const FormFileOptions& options)
{
    if (options.plainArchive) {
        RefuseLostStorages(form);
        return StoreFormArchive(form);
    }
    return WriteCompoundFile(MakeFormFileTree(form, options));
}

} // namespace nv
