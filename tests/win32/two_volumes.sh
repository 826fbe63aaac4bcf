# A product of two volumes, built by "respack build" from its folder, installed by
# Setup.exe through the dialogs into C:\Quill2: files come from both volumes, the
# picture named for the second volume from Setup1.res. Sourced by run.sh after the
# demo scenarios (it uses their helpers); it touches nothing they installed.

two=$work/two
two_product=$work/two-product
mkdir -p "$two_product"
cp "$root/demo/files/Splash1.bmp" "$root/demo/files/setup2.bmp" "$root/demo/files/Pic2.bmp" \
  "$root/demo/files/Help.txt" "$bin/Quill07.exe" "$bin/Uninst.exe" "$two_product/"
printf '%s\r\n' '[Application]' 'Title=Quill07 2' 'TargetDir=C:\Quill2' 'Group=Quill2' \
  'PrgSpace=2000000' '[Resources]' 'Count=2' 'Item1=Setup1.res' 'Item2=Setup2.res' \
  '[Setup1.res]' 'Count=2' 'Item1=Quill07.exe' 'Item1Shell=1' 'Item1Link=Quill07.lnk' 'Item2=Help.txt' \
  'Item2Dest=Doc' '[Setup2.res]' 'Count=1' 'Item1=Uninst.exe' '[Splash]' 'Item2_1=Pic2.bmp' \
  >"$two_product/Setup.lst"
two_built() {
  "$native_respack" build -q --setup "$bin/Setup.exe" -o "$two" "$two_product/Setup.lst" &&
    [ "$(cd "$two" && ls | tr '\n' ' ')" = "Setup.exe Setup1.res Setup2.res " ]
}
check "two volumes: respack build writes Setup1.res, Setup2.res and Setup.exe" two_built

start_in two Setup.exe
check "two volumes: the welcome dialog comes up" dialog_up "Instalator programu" 20-two-welcome "&Instaluj"
check "two volumes: \"Instaluj\" leads on" press "Instalator programu" "&Instaluj"
check "two volumes: the directory dialog offers C:\\Quill2" dialog_up "Wskaż katalog docelowy" 21-two-directory 'C:\Quill2'
check "two volumes: \"Instaluj\" with the missing directory" driver click "Wskaż katalog docelowy" "&Instaluj"
check "two volumes: Yes creates the directory" press "Instalator" "&Yes"
check "two volumes: the group dialog follows" dialog_up "Wskaż grupę dla programu" 22-two-group
check "two volumes: \"Instaluj\" accepts the group" press "Wskaż grupę dla programu" "&Instaluj"
check "two volumes: the final dialog comes up" dialog_up "Instalacja zakończona" 23-two-finish "Zakończ instalację"
check "two volumes: \"Zakończ instalację\" is pressed" driver click "Instalacja zakończona" "Zakończ instalację"
check "two volumes: Setup.exe ended with exit code 0" ends_with 30 0
check "two volumes: Quill07.exe and DOC\\Help.txt came from Setup1.res, Uninst.exe from Setup2.res" \
  bash -c "cmp '$c_drive/Quill2/Quill07.exe' '$bin/Quill07.exe' &&
    cmp '$c_drive/Quill2/DOC/Help.txt' '$root/demo/files/Help.txt' &&
    cmp '$c_drive/Quill2/Uninst.exe' '$bin/Uninst.exe'"
